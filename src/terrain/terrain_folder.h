#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace quarnby {

// Suffixes of the terrain files, spelled exactly as the terrain editor expects them.
namespace suffix {
inline constexpr std::string_view kElevation = ".elv";
inline constexpr std::string_view kType = ".typ";
inline constexpr std::string_view kSubType = ".SYP";
inline constexpr std::string_view kObjects = ".oba";
inline constexpr std::string_view kTracks = ".tra";
inline constexpr std::string_view kTerragen = ".ter";
inline constexpr std::string_view kGreyscale = "_elv.bmp";
inline constexpr std::string_view kCover = "_cover.bmp";
inline constexpr std::string_view kColourMap = "_colormap.bmp";
inline constexpr std::string_view kRoadMap = "_roadmap.bmp";
inline constexpr std::string_view kObjectDots = "_objdots.bmp";
// A file of the folder's GIS subfolder: its suffix starts with the subfolder's name.
inline constexpr std::string_view kTheatreFrame = "gis/_theatre.txt";
}  // namespace suffix

// The GIS subfolder of a terrain folder, where the files that place it on the Earth live.
inline constexpr std::string_view kGisFolder = "gis";

// The terrain's base name: everything after the last separator of the folder's path,
// empty at the filesystem root or for a path without a separator. Nothing is stripped,
// so "North.Sea" stays "North.Sea".
std::string baseName(const std::filesystem::path& folder);

// folder + separator + base name + suffix.
std::filesystem::path terrainFile(const std::filesystem::path& folder, std::string_view suffix);

// A terrain file's name within the folder, as the undo history keeps it: the base name
// and the suffix ("Demo.typ"), or "gis/Demo_theatre.txt" for a file of the GIS subfolder.
std::string folderFileName(const std::filesystem::path& folder, std::string_view suffix);

// The folder as the window and the batch program hold it: absolute, without a trailing
// separator except at the root.
std::filesystem::path normalisedFolder(const std::filesystem::path& folder);

}  // namespace quarnby
