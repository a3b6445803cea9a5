#include "maps/preview_terrain.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <new>
#include <system_error>

#include "maps/preview_render.h"
#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/object_file.h"
#include "terrain/terrain_folder.h"
#include "terrain/track_file.h"

namespace quarnby::preview {
namespace {

// Reads one file of the folder; nothing, with the layer's note, when there is none.
std::optional<std::vector<std::uint8_t>> readLayerFile(const std::filesystem::path& folder, std::string_view suffix,
                                                       std::size_t limit, std::string& note) {
  const auto file = terrainFile(folder, suffix);
  const std::string name = file.filename().string();
  std::string error;
  bool missing = false;
  auto bytes = readWholeFile(file, limit, error, &missing);
  std::error_code ec;
  if (!bytes)
    note = missing || std::filesystem::is_directory(file, ec) ? "No " + name : "Can't read " + name + ": " + error;
  return bytes;
}

// A grid file shorter than its grid is shown as empty rather than half drawn.
template <typename Grid>
Layer<Grid> gridLayer(const std::filesystem::path& folder, std::string_view suffix, std::size_t gridBytes) {
  Layer<Grid> layer;
  auto bytes = readLayerFile(folder, suffix, readLimit::kBinary, layer.note);
  if (!bytes) return layer;
  if (bytes->size() < gridBytes) {
    layer.note = terrainFile(folder, suffix).filename().string() +
                 " is short: " + groupedNumber(static_cast<long long>(bytes->size())) + " of " +
                 groupedNumber(static_cast<long long>(gridBytes)) + " bytes";
    return layer;
  }
  layer.data = Grid(GridFile(std::move(*bytes), gridBytes));
  return layer;
}

std::string_view textOf(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool startsWithUpperCased(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

SiteKind kindOf(int codeIndex, std::string_view siteName) {
  switch (codeIndex) {
    case 0: return SiteKind::Headquarters;
    case 1: return startsWithUpperCased(siteName, "PORT") ? SiteKind::Port : SiteKind::Supply;
    case 2: return SiteKind::Town;
    case 3: return SiteKind::City;
    case 7: return SiteKind::FUF;
    case 8: return SiteKind::RDF;
    default: return SiteKind::Airfield;  // AAF, AMF, BAF
  }
}

}  // namespace

std::string siteKindName(SiteKind kind) {
  switch (kind) {
    case SiteKind::Headquarters: return "HQ (HQT)";
    case SiteKind::Supply: return "Supply (GMS)";
    case SiteKind::Port: return "Port (GMS, PORT...)";
    case SiteKind::Town: return "Town (TWN)";
    case SiteKind::City: return "City (CIT)";
    case SiteKind::Airfield: return "Airfield (AAF AMF BAF)";
    case SiteKind::FUF: return "Fuel (FUF)";
    case SiteKind::RDF: return "Radar (RDF)";
  }
  return {};
}

std::vector<TrackLine> trackLinesOf(std::string_view trackFileText) {
  std::vector<TrackLine> lines;
  for (const TrackRecord& record : parseTrackRecords(trackFileText)) {
    TrackLine line{record.kind, {}};
    const auto finish = [&] {
      if (!line.points.empty()) lines.push_back(line);
      line.points.clear();
    };
    for (const TrackPoint& p : record.points) {
      const auto column = p.isNumber ? worldToIndex(p.x) : std::nullopt;
      const auto row = p.isNumber ? worldToIndex(p.z) : std::nullopt;
      if (!column || !row) {
        finish();
        continue;
      }
      line.points.push_back({*column, *row});
    }
    finish();
  }
  return lines;
}

std::vector<Site> sitesOf(std::string_view objectFileText) {
  std::vector<Site> sites;
  ObjectFileReader reader(objectFileText, ObjectFileReader::Mode::Field, kObjectCodes, 4);
  while (const auto record = reader.next()) {
    const auto x = record->number(2);
    const auto z = record->number(4);
    if (!x || !z) continue;
    const auto column = worldToIndex(std::floor(*x));
    const auto row = worldToIndex(std::floor(*z));
    if (!column || !row) continue;
    sites.push_back(
        {kindOf(record->codeIndex, record->field(1)), record->leadToken, record->field(1), {*column, *row}});
  }
  return sites;
}

PreviewTerrain loadPreviewTerrain(const std::filesystem::path& folder) {
  PreviewTerrain terrain;
  terrain.folder = folder;
  terrain.baseName = baseName(folder);
  if (terrain.baseName.empty()) {
    const std::string note = "No terrain folder";
    terrain.elevation.note = terrain.types.note = terrain.subTypes.note = terrain.tracks.note = terrain.sites.note =
        terrain.cover.note = note;
    return terrain;
  }
  // The preview runs outside any operation, so nothing it meets may end the program: a
  // layer that cannot be read shows why instead.
  const auto guarded = [](auto& layer, auto read) {
    try {
      read();
    } catch (const std::bad_alloc&) {
      layer = {};
      layer.note = "Not enough memory to show it";
    } catch (const std::exception& e) {
      layer = {};
      layer.note = e.what();
    }
  };
  guarded(terrain.elevation,
          [&] { terrain.elevation = gridLayer<ElevationGrid>(folder, suffix::kElevation, kElevBytes); });
  guarded(terrain.types, [&] { terrain.types = gridLayer<CellGrid>(folder, suffix::kType, kTypeBytes); });
  guarded(terrain.subTypes, [&] { terrain.subTypes = gridLayer<CellGrid>(folder, suffix::kSubType, kTypeBytes); });
  guarded(terrain.cover, [&] {
    bool missing = false;
    std::string error;
    const auto file = terrainFile(folder, suffix::kCover);
    const auto bytes = readWholeFile(file, readLimit::kBinary, error, &missing);
    const auto layer = bytes ? CoverLayer::parse(*bytes, error) : std::nullopt;
    if (layer) terrain.cover.data = layer->cells();
    else if (missing) terrain.cover.note = "No " + file.filename().string() + ": Import Land Cover... writes it";
    else terrain.cover.note = "Can't read " + file.filename().string() + ": " + error;
  });
  guarded(terrain.tracks, [&] {
    if (const auto text = readLayerFile(folder, suffix::kTracks, readLimit::kText, terrain.tracks.note))
      terrain.tracks.data = trackLinesOf(textOf(*text));
  });
  guarded(terrain.sites, [&] {
    if (const auto text = readLayerFile(folder, suffix::kObjects, readLimit::kText, terrain.sites.note))
      terrain.sites.data = sitesOf(textOf(*text));
  });
  return terrain;
}

std::string groupedNumber(long long v) {
  std::string digits = std::to_string(v < 0 ? -static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v));
  for (auto i = static_cast<long long>(digits.size()) - 3; i > 0; i -= 3)
    digits.insert(static_cast<std::size_t>(i), ",");
  return v < 0 ? "-" + digits : digits;
}

std::string readout(const PreviewTerrain& terrain, int row, int column, const Site* site) {
  std::string text = "Row " + std::to_string(row) + ", column " + std::to_string(column) + "    X " +
                     groupedNumber(worldFeetOf(column)) + " ft, Z " + groupedNumber(worldFeetOf(row)) + " ft";
  text += "    Elevation ";
  text += terrain.elevation ? groupedNumber(terrain.elevation.data->at(row, column)) + " ft" : "-";
  text += "    Type ";
  if (terrain.types) {
    const int type = terrain.types.data->at(row / 2, column / 2);
    text += typeName(type) + " (" + std::to_string(type) + ")";
  } else {
    text += "-";
  }
  if (terrain.subTypes) text += ", sub-type " + std::to_string(terrain.subTypes.data->at(row / 2, column / 2));
  if (site) text += "    " + site->leadToken + " " + site->siteName;
  return text;
}

const Site* siteNear(const std::vector<Site>& sites, double column, double row, double reach) {
  const Site* nearest = nullptr;
  double best = reach * reach;
  for (const Site& site : sites) {
    const double dc = static_cast<double>(site.sample.column) + 0.5 - column;
    const double dr = static_cast<double>(site.sample.row) + 0.5 - row;
    const double d = dc * dc + dr * dr;
    if (d <= best) {
      best = d;
      nearest = &site;
    }
  }
  return nearest;
}

}  // namespace quarnby::preview
