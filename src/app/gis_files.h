#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "terrain/theatre_frame.h"

// The terrain as GIS sees it: beside the theatre frame in `gis/`, GDAL VRTs that read the
// grids, the Terragen field and the map bitmaps in place, georeferenced in the theatre's
// projection, north up, so that QGIS and every GDAL tool open them as the files are now.
// Plain XML text: writing them needs no GDAL. The terrain files themselves are only read.
namespace quarnby {

struct GisFile {
  std::filesystem::path file;
  std::string text;  // empty: the file is not to be there (its terrain file is missing or unreadable)
};

// Every GIS file of the folder with what it should hold for the terrain files as they are;
// `terragenNorthFirst`: the Terragen field's rows run north first, as "Invert '*.ter'
// order" (InvFileOrder) has Set Elevation read them.
std::vector<GisFile> gisFiles(const std::filesystem::path& folder, const TheatreFrame& frame,
                              bool terragenNorthFirst = false);

// Brings the GIS files of a folder that has a theatre frame up to date: a file whose text
// differs (GDAL or QGIS added statistics to it) is replaced, one whose terrain file is gone
// removed. Without a frame the views are removed (the step that wrote the frame was
// undone); the frame file and the rest of `gis/` stay. The reason, when a file could not
// be written.
std::optional<std::string> refreshGisFiles(const std::filesystem::path& folder, bool terragenNorthFirst = false);

// The GeoTransform of the 1024 x 1024 sample views (1025 for the Terragen field, 512 for
// the cells) in the theatre projection's metres, as the VRTs carry it.
struct GeoTransform {
  double west, pixelWidth, north, pixelHeight;  // pixelHeight < 0: north up
};
GeoTransform sampleGeoTransform(int size);

}  // namespace quarnby
