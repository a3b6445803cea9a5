#include "app/settings_file.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "core/numeric_text.h"
#include "core/rounding.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"
#include "typing/altitude_intervals.h"

namespace quarnby {
namespace {

// Line 4, fields 5 to 14.
const char* const kImportFields[10] = {"MaxUnits",    "slUnits", "MinUnits", "MaxAlt",   "unitExp",
                                       "MaxSmothAlt", "LenRoad", "LenTrack", "LenRiver", "slUnitsBmp"};
const char* const kModifySwitches[4] = {"LevelTerr", "Check1", "Check2", "Check3"};

std::string numbered(const char* stem, int i) { return stem + std::to_string(i); }

// A text between double quotes. The format has no escape for a double quote, so one
// inside the text is saved as a single quote rather than cutting the field short.
std::string quoted(std::string text) {
  for (char& ch : text)
    if (ch == '"') ch = '\'';
  return '"' + text + '"';
}

std::string truth(bool v) { return v ? "#TRUE#" : "#FALSE#"; }

struct Field {
  std::string text;
  bool quoted = false;
};

// Splits the file into lines of fields: a field ends at a comma or at the end of a line,
// blanks around it are skipped, and a quoted field runs to the next quote (commas inside
// belong to the text) up to the end of its line. Empty lines hold no field. Only what
// the reading can use is kept: at most `kFields` fields a line, and no line once more than
// four lines and `kFields` fields in all were found, so a huge file costs no memory.
constexpr std::size_t kFields = 87;
std::vector<std::vector<Field>> linesOf(std::string_view text) {
  std::vector<std::vector<Field>> lines;
  std::size_t i = 0;
  std::size_t total = 0;
  const std::size_t n = text.size();
  auto isBlank = [](char ch) { return ch == ' ' || ch == '\t'; };
  auto isEol = [](char ch) { return ch == '\r' || ch == '\n'; };
  while (i < n && !(lines.size() > 4 && total >= kFields)) {
    while (i < n && (isEol(text[i]) || isBlank(text[i]))) ++i;
    if (i >= n) break;
    std::vector<Field>& fields = lines.emplace_back();
    for (;;) {
      while (i < n && isBlank(text[i])) ++i;
      Field field;
      if (i < n && text[i] == '"') {
        field.quoted = true;
        // The window's texts hold no line breaks, so a quote left open ends with its line
        // rather than swallowing the fields of the next one.
        std::size_t end = i + 1;
        while (end < n && text[end] != '"' && !isEol(text[end])) ++end;
        field.text = std::string(text.substr(i + 1, end - i - 1));
        i = end < n && text[end] == '"' ? end + 1 : end;
        while (i < n && text[i] != ',' && !isEol(text[i])) ++i;  // anything after the quote is dropped
      } else {
        const std::size_t start = i;
        while (i < n && text[i] != ',' && !isEol(text[i])) ++i;
        std::size_t end = i;
        while (end > start && isBlank(text[end - 1])) --end;
        field.text = std::string(text.substr(start, end - start));
      }
      fields.push_back(std::move(field));
      ++total;
      if (fields.size() == kFields)
        while (i < n && !isEol(text[i])) ++i;  // the rest of a line too long to be used
      if (i < n && text[i] == ',') {
        ++i;
        continue;
      }
      break;  // end of line or of file
    }
  }
  return lines;
}

// The fields in the order of the 87 controls. The fields are read one after the other
// whatever the lines; but a file that still has its four lines is matched line by line,
// so that a field lost or added in one line cannot shift every later value into the
// wrong control.
std::vector<std::optional<Field>> fieldsOf(std::string_view text) {
  static constexpr std::size_t kLineFields[4] = {26, 22, 22, 17};
  const auto lines = linesOf(text);
  std::vector<std::optional<Field>> fields;
  if (lines.size() == 4) {
    for (std::size_t l = 0; l < 4; ++l)
      for (std::size_t k = 0; k < kLineFields[l]; ++k)
        fields.push_back(k < lines[l].size() ? std::optional<Field>(lines[l][k]) : std::nullopt);
  } else {
    for (const auto& line : lines)
      for (const auto& f : line) fields.push_back(f);
  }
  return fields;
}

std::optional<long long> wholeNumber(const Field& f, long long low, long long high) {
  double v = 0;
  if (!isWholeDecimalNumber(f.text, &v) || !std::isfinite(v)) return std::nullopt;
  const double r = roundHalfEven(v);
  if (r < static_cast<double>(low) || r > static_cast<double>(high)) return std::nullopt;
  return static_cast<long long>(r);
}

std::optional<bool> truthValue(const Field& f) {
  if (f.quoted) return std::nullopt;
  if (f.text == "#TRUE#") return true;
  if (f.text == "#FALSE#") return false;
  return std::nullopt;
}

}  // namespace

std::string settingsText(const ParameterSet& p) {
  std::string out;
  for (int i = 1; i <= 26; ++i) out += (i > 1 ? "," : "") + std::to_string(p.choice(numbered("Combo", i)));
  out += "\r\n";
  for (int i = 4; i <= 25; ++i) out += (i > 4 ? "," : "") + quoted(p.text(numbered("Text", i)));
  out += "\r\n";
  for (int i = 0; i <= 21; ++i) out += (i > 0 ? "," : "") + quoted(p.text(numbered("g", i)));
  out += "\r\n";
  out += quoted(p.text("Text3")) + "," + std::to_string(p.switchValue("InvFileOrder")) + "," +
         truth(p.option("MapSize256")) + "," + truth(p.option("MapSize512"));
  for (const char* name : kImportFields) out += "," + quoted(p.text(name));
  out += "," + std::to_string(p.switchValue("PreserveZeros")) + "," + quoted(p.text("maxUbmp")) + "," +
         quoted(p.text("minUbmp")) + "\r\n";
  return out;
}

void applySettingsText(ParameterSet& p, std::string_view text) {
  const auto fields = fieldsOf(text);
  std::size_t next = 0;
  auto field = [&]() -> const Field* {
    if (next >= fields.size()) return nullptr;
    const auto& f = fields[next++];
    return f ? &*f : nullptr;
  };
  auto readText = [&](const std::string& name) {
    if (const Field* f = field()) p.setText(name, f->text);
  };
  auto readSwitch = [&](const char* name) {
    if (const Field* f = field())
      if (auto v = wholeNumber(*f, 0, 2)) p.setSwitch(name, static_cast<int>(*v));
  };
  auto readOption = [&](const char* name) {
    if (const Field* f = field())
      if (auto v = truthValue(*f)) p.setOption(name, *v);
  };

  // Line 1: all 26 positions are read before any choice is set.
  std::vector<std::optional<long long>> positions;
  for (int i = 1; i <= 26; ++i) {
    const Field* f = field();
    positions.push_back(f ? wholeNumber(*f, -32768, 32767) : std::nullopt);
  }
  for (int i = 1; i <= 26; ++i) {
    const auto& v = positions[i - 1];
    if (v && *v >= -1 && *v <= 6) p.setChoice(numbered("Combo", i), static_cast<int>(*v));
  }
  for (int i = 4; i <= 25; ++i) readText(numbered("Text", i));
  for (int i = 0; i <= 21; ++i) readText(numbered("g", i));
  readText("Text3");
  readSwitch("InvFileOrder");
  readOption("MapSize256");
  readOption("MapSize512");
  for (const char* name : kImportFields) readText(name);
  readSwitch("PreserveZeros");
  readText("maxUbmp");
  readText("minUbmp");
}

void Dir1_Change(ParameterSet& params, const std::filesystem::path& folder) {
  const std::string base = baseName(folder);
  params.setText("LabelTer", "Use '" + base + ".ter'");
  params.setText("LabelBmp", "Use '" + base + "_elv.bmp'");
}

Outcome Form_Load(Context& cx) {
  ParameterSet& p = cx.params;
  Dir1_Change(p, cx.folder);

  std::string error;
  bool missing = false;
  if (auto bytes = readWholeFile(cx.settingsFile, readLimit::kSettings, error, &missing)) {
    applySettingsText(p, std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    p.restoreStartUpValues(true);
    return Outcome::Completed;
  }
  // A first start has no settings file; one that is there but cannot be read is worth
  // telling, or the user's settings would silently give way to the defaults.
  if (!missing)
    reportFileFailure(cx.host, "Can't read the settings file:", cx.settingsFile, error,
                      {.closingLine = "The default settings are used.", .icon = Icon::Exclamation});

  // No settings file: the built-in defaults, then thresholds computed from them.
  p.restoreStartUpValues(false);
  SetAltIntervals_Click(cx);
  return Outcome::Completed;
}

Outcome SaveConfig_Click(Context& cx) {
  const std::string name = cx.settingsFile.string();
  std::string error;
  auto file = SafeFile::create(cx.settingsFile, error);
  if (file) {
    file->write(settingsText(cx.params));
    if (auto failed = file->commit()) error = *failed;
    else {
      cx.host.showMessage("Settings saved to: " + name, Icon::Information, "Save Settings");
      return Outcome::Completed;
    }
  }
  return reportFileFailure(cx.host, "Can't open the file:", cx.settingsFile, error, {.lineBreak = kCr});
}

Outcome ReloadConfig_Click(Context& cx) { return Form_Load(cx); }

Outcome ToggleChecks_Click(Context& cx) {
  for (const char* name : kModifySwitches) cx.params.setSwitch(name, cx.params.switchValue(name) == 1 ? 0 : 1);
  return Outcome::Completed;
}

}  // namespace quarnby
