#include "typing/class_table.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/text_lines.h"

namespace quarnby {
namespace {

// The fields of one CSV line: commas separate, a field in double quotes may hold commas
// and doubled quotes. Nothing when a quote is left open.
std::optional<std::vector<std::string>> csvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char ch = line[i];
    if (quoted) {
      if (ch != '"') fields.back() += ch;
      else if (i + 1 < line.size() && line[i + 1] == '"') fields.back() += line[++i];
      else quoted = false;
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',') {
      fields.emplace_back();
    } else {
      fields.back() += ch;
    }
  }
  if (quoted) return std::nullopt;
  return fields;
}

std::optional<std::uint8_t> entryNamed(const std::string& type) {
  if (type.size() == 1 && type[0] >= '0' && type[0] <= '6') return static_cast<std::uint8_t>(type[0] - '0');
  if (type == "W") return kCoverWater;
  if (type == "ALT") return kNoLandCover;
  if (type == "ALT-OPEN") return kCoverOpen;
  if (type == "ALT-BARE") return kCoverBare;
  return std::nullopt;
}

std::string csvField(const std::string& field) {
  if (field.find_first_of(",\"") == std::string::npos) return field;
  std::string quoted = "\"";
  for (const char ch : field) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return quoted + '"';
}

}  // namespace

std::string classTableText(const std::vector<ClassRow>& rows) {
  std::string text = "code,name,type,note\r\n";
  for (const ClassRow& row : rows)
    text +=
        csvField(row.code) + ',' + csvField(row.name) + ',' + csvField(row.type) + ',' + csvField(row.note) + "\r\n";
  return text;
}

std::optional<ClassTable> ClassTable::parse(std::string_view text, const std::string& source, std::string& error) {
  ClassTable table;
  int number = 0;
  auto refuse = [&](const std::string& why) {
    error = source + ", line " + std::to_string(number) + ": " + why;
    return std::nullopt;
  };
  bool header = true;
  while (!text.empty()) {
    std::string_view line = takeLine(text);
    ++number;
    if (header) {
      if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // a spreadsheet's byte order mark
      if (trimmedText(line) != "code,name,type,note") return refuse("the first line must be \"code,name,type,note\"");
      header = false;
      continue;
    }
    if (trimmedText(line).empty()) continue;
    const auto fields = csvFields(line);
    if (!fields) return refuse("a quoted field is not closed");
    if (fields->size() != 4)
      return refuse("4 fields expected (code,name,type,note), found " + std::to_string(fields->size()));
    const std::string code(trimmedText((*fields)[0])), type(trimmedText((*fields)[2]));
    std::int64_t value = 0;
    const auto [ptr, ec] = std::from_chars(code.data(), code.data() + code.size(), value);
    if (code.empty() || ec != std::errc() || ptr != code.data() + code.size() || value < INT32_MIN ||
        value > UINT32_MAX)
      return refuse("the code '" + code + "' is not a whole number");
    const auto entry = entryNamed(type);
    if (!entry) return refuse("the type '" + type + "' is none of 0 to 6, W, ALT, ALT-OPEN, ALT-BARE");
    if (!table.entries_.emplace(value, *entry).second) return refuse("the code " + code + " is in the table already");
    table.rows_.push_back({code, std::string(trimmedText((*fields)[1])), type, std::string(trimmedText((*fields)[3]))});
  }
  number = std::max(number, 1);
  if (header) return refuse("the file is empty; its first line must be \"code,name,type,note\"");
  return table;
}

std::optional<ClassTable> ClassTable::load(const std::filesystem::path& file, std::string& error) {
  auto bytes = readWholeFile(file, readLimit::kSettings, error);
  if (!bytes) {
    error = file.string() + ": " + error;
    return std::nullopt;
  }
  return parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), file.string(), error);
}

std::uint8_t ClassTable::entryOf(std::int64_t code) {
  if (const auto it = entries_.find(code); it != entries_.end()) return it->second;
  ++unknown_[code];
  return kNoLandCover;
}

std::optional<std::uint8_t> ClassTable::find(std::int64_t code) const {
  if (const auto it = entries_.find(code); it != entries_.end()) return it->second;
  return std::nullopt;
}

}  // namespace quarnby
