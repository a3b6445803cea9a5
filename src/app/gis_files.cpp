#include "app/gis_files.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <system_error>

#include "maps/preview_render.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terragen_file.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

constexpr double kMetresPerFoot = 0.3048;

// The shortest text that reads back as the same double, so 804.672 stays 804.672.
std::string number(double v) {
  char text[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    if (std::strtod(text, nullptr) == v) break;
  }
  return text;
}

std::string xmlEscaped(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return out;
}

std::string hexColour(preview::Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(c & 0xFFFFFF));
  return text;
}

// How a band reads its file: where the VRT's first line (the northern edge) starts and how
// far it is to the next line southward.
struct RawLayout {
  std::string dataType;
  int size;  // pixels a side
  std::size_t northLine;
  long long lineOffset;
  int pixelBytes;
};

// Rows stored south first: the VRT starts at the last row and steps back.
RawLayout southFirst(std::string dataType, int size, std::size_t firstRow, std::size_t rowBytes, int pixelBytes) {
  return {std::move(dataType), size, firstRow + static_cast<std::size_t>(size - 1) * rowBytes,
          -static_cast<long long>(rowBytes), pixelBytes};
}

struct BandStyle {
  std::string description;
  std::string unit = {};
  std::vector<preview::Rgb> colours = {};  // a colour table when not empty
  std::vector<std::string> categories = {};
  std::optional<std::pair<double, double>> scaleOffset = {};  // values x scale + offset
};

std::string vrtText(const std::string& source, const TheatreFrame& frame, const RawLayout& raw, const BandStyle& style,
                    const GeoTransform& gt) {
  const std::string size = std::to_string(raw.size);
  std::string text = "<VRTDataset rasterXSize=\"" + size + "\" rasterYSize=\"" + size + "\">\n";
  text += "  <SRS dataAxisToSRSAxisMapping=\"1,2\">" + xmlEscaped(frame.projection) + "</SRS>\n";
  text += "  <GeoTransform>" + number(gt.west) + ", " + number(gt.pixelWidth) + ", 0, " + number(gt.north) + ", 0, " +
          number(gt.pixelHeight) + "</GeoTransform>\n";
  text += "  <VRTRasterBand dataType=\"" + raw.dataType + "\" band=\"1\" subClass=\"VRTRawRasterBand\">\n";
  text += "    <Description>" + xmlEscaped(style.description) + "</Description>\n";
  if (!style.unit.empty()) text += "    <UnitType>" + style.unit + "</UnitType>\n";
  if (style.scaleOffset) {
    text += "    <Offset>" + number(style.scaleOffset->second) + "</Offset>\n";
    text += "    <Scale>" + number(style.scaleOffset->first) + "</Scale>\n";
  }
  if (!style.categories.empty()) {
    text += "    <CategoryNames>\n";
    for (const auto& name : style.categories) text += "      <Category>" + xmlEscaped(name) + "</Category>\n";
    text += "    </CategoryNames>\n";
  }
  if (!style.colours.empty()) {
    text += "    <ColorInterp>Palette</ColorInterp>\n    <ColorTable>\n";
    for (const preview::Rgb c : style.colours)
      text += "      <Entry c1=\"" + std::to_string(preview::red(c)) + "\" c2=\"" + std::to_string(preview::green(c)) +
              "\" c3=\"" + std::to_string(preview::blue(c)) + "\" c4=\"255\"/>\n";
    text += "    </ColorTable>\n";
  }
  text += "    <SourceFilename relativeToVRT=\"1\">../" + xmlEscaped(source) + "</SourceFilename>\n";
  text += "    <ImageOffset>" + std::to_string(raw.northLine) + "</ImageOffset>\n";
  text += "    <PixelOffset>" + std::to_string(raw.pixelBytes) + "</PixelOffset>\n";
  text += "    <LineOffset>" + std::to_string(raw.lineOffset) + "</LineOffset>\n";
  text += "    <ByteOrder>LSB</ByteOrder>\n";
  text += "  </VRTRasterBand>\n</VRTDataset>\n";
  return text;
}

std::optional<std::vector<std::uint8_t>> bytesOf(const std::filesystem::path& file) {
  std::string error;
  return readWholeFile(file, readLimit::kBinary, error);
}

std::uint32_t le(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
  return v;
}

// An uncompressed 8-bit bitmap `size` pixels a side, read where its header says its
// pixels and palette are (a paint program may have laid it out anew); nothing for
// anything else, which GIS would then show in another place than the tool reads it.
std::optional<std::pair<RawLayout, std::vector<preview::Rgb>>> bitmapLayout(std::span<const std::uint8_t> b, int size) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  const std::uint32_t pixels = le(b, 10, 4), infoSize = le(b, 14, 4);
  const auto width = static_cast<std::int32_t>(le(b, 18, 4)), height = static_cast<std::int32_t>(le(b, 22, 4));
  if (infoSize < 40 || le(b, 28, 2) != 8 || le(b, 30, 4) != 0 || width != size || (height != size && height != -size))
    return std::nullopt;
  const std::size_t stride = static_cast<std::size_t>(size + 3) / 4 * 4;
  if (pixels + stride * static_cast<std::size_t>(size) > b.size()) return std::nullopt;
  std::size_t entries = le(b, 46, 4);
  if (entries == 0 || entries > 256) entries = 256;
  const std::size_t palette = 14 + infoSize;
  if (palette + 4 * entries > pixels) return std::nullopt;
  std::vector<preview::Rgb> colours;
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t at = palette + 4 * i;
    colours.push_back(preview::rgb(b[at + 2], b[at + 1], b[at]));
  }
  // A positive height stores the bottom (southern) line first; a negative one the top.
  if (height > 0) return std::pair{southFirst("Byte", size, pixels, stride, 1), colours};
  return std::pair{RawLayout{"Byte", size, pixels, static_cast<long long>(stride), 1}, colours};
}

std::string bitmapVrt(const std::filesystem::path& file, const TheatreFrame& frame, int size,
                      const std::string& description) {
  const auto bytes = bytesOf(file);
  if (!bytes) return {};
  const auto layout = bitmapLayout(*bytes, size);
  if (!layout) return {};
  return vrtText(file.filename().string(), frame, layout->first, {description, "", layout->second},
                 sampleGeoTransform(size));
}

// Feet from a raw Terragen sample: units = base + raw x scale / 65536, and SCAL's metres
// per unit. Only a whole 1025 x 1025 field with a SCAL chunk is described. Its rows lie as
// Set Elevation takes them: south first, or north first when `northFirst` (the Terragen
// column's "Invert" switch), the spare row then south of the grid.
std::string terragenVrt(const std::filesystem::path& file, const TheatreFrame& frame, bool northFirst) {
  auto bytes = bytesOf(file);
  if (!bytes) return {};
  std::string problem;
  const auto field = TerragenFile::parse(std::move(*bytes), problem);
  if (!field || !field->metresPerUnit() || !std::isfinite(*field->metresPerUnit()) || *field->metresPerUnit() <= 0)
    return {};
  double feetPerUnit = static_cast<double>(*field->metresPerUnit()) / kMetresPerFoot;
  // A field in feet (SCAL 0.3048 as a float) reads in whole feet, not a hair off.
  if (*field->metresPerUnit() == static_cast<float>(kMetresPerFoot)) feetPerUnit = 1.0;
  const double scale = field->heightScale() / 65536.0 * feetPerUnit;
  const double offset = field->baseHeight() * feetPerUnit;
  constexpr int kPoints = TerragenFile::kPoints;
  GeoTransform gt = sampleGeoTransform(kPoints);
  RawLayout raw = southFirst("Int16", kPoints, field->sampleOffset(), 2 * kPoints, 2);
  if (northFirst) {
    gt.north += gt.pixelHeight;
    raw = {"Int16", kPoints, field->sampleOffset(), 2 * kPoints, 2};
  }
  return vrtText(file.filename().string(), frame, raw,
                 {"Terragen height field (feet)", "ft", {}, {}, std::pair{scale, offset}}, gt);
}

// A grid shorter than its layout is padded with zeros by the operations, which GDAL
// cannot do: such a grid gets no VRT.
bool wholeGrid(const std::filesystem::path& file, std::uintmax_t bytes) {
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec) && std::filesystem::file_size(file, ec) >= bytes && !ec;
}

std::vector<preview::Rgb> typeColours() {
  std::vector<preview::Rgb> colours;
  for (int t = 0; t < 256; ++t) colours.push_back(preview::typeColour(t));
  return colours;
}

std::vector<std::string> typeNames() {
  std::vector<std::string> names;
  for (int t = 0; t < preview::kTypeCount; ++t) names.push_back(preview::typeName(t));
  return names;
}

// QGIS takes a style file of the layer's own name as the layer's style when it opens it.
std::string typeStyle() {
  std::string text =
      "<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>\n"
      "<qgis styleCategories=\"Symbology\">\n  <pipe>\n"
      "    <rasterrenderer type=\"paletted\" band=\"1\" opacity=\"1\" alphaBand=\"-1\">\n"
      "      <colorPalette>\n";
  for (int t = 0; t < preview::kTypeCount; ++t)
    text += "        <paletteEntry value=\"" + std::to_string(t) + "\" color=\"" + hexColour(preview::typeColour(t)) +
            "\" alpha=\"255\" label=\"" + xmlEscaped(std::to_string(t) + "  " + preview::typeName(t)) + "\"/>\n";
  text += "      </colorPalette>\n    </rasterrenderer>\n  </pipe>\n</qgis>\n";
  return text;
}

}  // namespace

GeoTransform sampleGeoTransform(int size) {
  // The western and southern edges lie half a sample beyond the outermost samples;
  // a cell grid covers the same square with pixels two samples wide.
  const double spacing = kSampleSpacing * (size == kTypeSize ? 2 : 1) * kMetresPerFoot;
  const double west = -(512 + 0.5) * kSampleSpacing * kMetresPerFoot;
  return {west, spacing, west + size * spacing, -spacing};
}

std::vector<GisFile> gisFiles(const std::filesystem::path& folder, const TheatreFrame& frame, bool terragenNorthFirst) {
  const auto gis = theatreFrameFile(folder).parent_path();
  const std::string base = baseName(folder);
  auto in = [&](std::string_view suffix) { return terrainFile(folder, suffix); };
  auto out = [&](const std::string& name) { return gis / std::filesystem::u8path(base + name); };
  auto name = [&](std::string_view suffix) { return in(suffix).filename().string(); };
  std::vector<GisFile> files;

  std::string elevation, types, subTypes;
  if (wholeGrid(in(suffix::kElevation), kElevBytes))
    elevation = vrtText(name(suffix::kElevation), frame, southFirst("Int16", kElevSize, 0, 2 * kElevSize, 2),
                        {"Elevation (feet)", "ft"}, sampleGeoTransform(kElevSize));
  if (wholeGrid(in(suffix::kType), kTypeBytes))
    types = vrtText(name(suffix::kType), frame, southFirst("Byte", kTypeSize, 0, kTypeSize, 1),
                    {"Terrain type", "", typeColours(), typeNames()}, sampleGeoTransform(kTypeSize));
  if (wholeGrid(in(suffix::kSubType), kTypeBytes)) {
    std::vector<preview::Rgb> ramp;
    for (int s = 0; s < 256; ++s) ramp.push_back(preview::subTypeColour(s));
    subTypes = vrtText(name(suffix::kSubType), frame, southFirst("Byte", kTypeSize, 0, kTypeSize, 1),
                       {"Tile sub-type", "", ramp}, sampleGeoTransform(kTypeSize));
  }
  files.push_back({out("_elevation.vrt"), elevation});
  files.push_back({out("_types.vrt"), types});
  files.push_back({out("_types.qml"), types.empty() ? std::string() : typeStyle()});
  files.push_back({out("_subtypes.vrt"), subTypes});
  files.push_back({out("_terragen.vrt"), terragenVrt(in(suffix::kTerragen), frame, terragenNorthFirst)});

  struct Bitmap {
    std::string_view suffix;
    int size;
    const char* description;
  };
  static constexpr Bitmap kBitmaps[] = {{suffix::kColourMap, kElevSize, "Colour map"},
                                        {suffix::kRoadMap, kElevSize, "Road map"},
                                        {suffix::kObjectDots, kElevSize, "Object dots"},
                                        {suffix::kGreyscale, kElevSize, "Greyscale elevation"},
                                        {suffix::kCover, kTypeSize, "Land cover"}};
  for (const Bitmap& b : kBitmaps) {
    // "_colormap.bmp" is read by "_colormap.vrt".
    std::string vrt(b.suffix);
    vrt.replace(vrt.size() - 4, 4, ".vrt");
    files.push_back({out(vrt), bitmapVrt(in(b.suffix), frame, b.size, b.description)});
  }
  return files;
}

std::optional<std::string> refreshGisFiles(const std::filesystem::path& folder, bool terragenNorthFirst) {
  std::string error;
  bool missing = false;
  const auto frame = readTheatreFrame(folder, error, &missing);
  if (!frame && !missing) return theatreFrameFile(folder).string() + ": " + error;
  if (!frame) {
    // Without a frame only views left from one are taken away; none left, nothing is read.
    std::error_code ec;
    bool left = false;
    for (std::filesystem::directory_iterator it(theatreFrameFile(folder).parent_path(), ec), end; !ec && it != end;
         it.increment(ec))
      left = left || it->path().extension() == ".vrt" || it->path().extension() == ".qml";
    if (!left) return std::nullopt;
  }
  // A folder whose frame is gone (its step undone) keeps no views placed by it.
  const auto files = gisFiles(folder, frame.value_or(TheatreFrame{}), terragenNorthFirst);
  std::vector<Replacement> changes;
  for (const GisFile& f : files) {
    std::string ignored;
    bool absent = false;
    const auto now = readWholeFile(f.file, readLimit::kText, ignored, &absent);
    if (!frame || f.text.empty()) {
      if (!absent) changes.push_back({f.file, {}, true});
    } else if (!now || std::string_view(reinterpret_cast<const char*>(now->data()), now->size()) != f.text) {
      changes.push_back({f.file, {reinterpret_cast<const std::uint8_t*>(f.text.data()), f.text.size()}});
    }
  }
  if (changes.empty()) return std::nullopt;
  if (auto failed = replaceFiles(changes)) return changes[failed->index].target.string() + ": " + failed->error;
  return std::nullopt;
}

}  // namespace quarnby
