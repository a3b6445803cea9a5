#include "app/settings_file.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>
#include <vector>

#include "core/numeric_text.h"
#include "core/rounding.h"
#include "steps/operation_steps.h"
#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"
#include "typing/altitude_intervals.h"

namespace quarnby {
namespace {

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

// The file's layout: each row is one control, or a run of numbered ones (stem + first ..
// stem + first + count - 1), on its line, in the order the fields stand.
struct LayoutRow {
  int line;
  const char* name;
  SavedKind kind;
  int first = 0;
  int count = 0;  // 0: `name` is the control itself
};
// clang-format off
constexpr LayoutRow kLayout[] = {
    {1, "Combo", SavedKind::Choice, 1, 26},     // the band types
    {2, "Text", SavedKind::Text, 4, 22},        // the thresholds
    {3, "g", SavedKind::Text, 0, 22},           // the gap weights
    {4, "Text3", SavedKind::Text},              // the thresholds' exponent
    {4, "InvFileOrder", SavedKind::Switch},
    {4, "MapSize256", SavedKind::Option},
    {4, "MapSize512", SavedKind::Option},
    {4, "MaxUnits", SavedKind::Text},
    {4, "slUnits", SavedKind::Text},
    {4, "MinUnits", SavedKind::Text},
    {4, "MaxAlt", SavedKind::Text},
    {4, "unitExp", SavedKind::Text},
    {4, "MaxSmothAlt", SavedKind::Text},
    {4, "LenRoad", SavedKind::Text},
    {4, "LenTrack", SavedKind::Text},
    {4, "LenRiver", SavedKind::Text},
    {4, "slUnitsBmp", SavedKind::Text},
    {4, "PreserveZeros", SavedKind::Switch},
    {4, "maxUbmp", SavedKind::Text},
    {4, "minUbmp", SavedKind::Text},
};
// clang-format on

struct Field {
  std::string text;
  bool quoted = false;
};

// Splits the file into lines of fields: a field ends at a comma or at the end of a line,
// blanks around it are skipped, and a quoted field runs to the next quote (commas inside
// belong to the text) up to the end of its line. Empty lines hold no field. Only what
// the reading can use is kept: at most as many fields a line as there are saved controls,
// and no line once more lines than the layout has and that many fields in all were found,
// so a huge file costs no memory.
std::vector<std::vector<Field>> linesOf(std::string_view text) {
  const std::size_t fieldCount = savedControls().size();
  const std::size_t lineCount = static_cast<std::size_t>(savedControls().back().line);
  std::vector<std::vector<Field>> lines;
  std::size_t i = 0;
  std::size_t total = 0;
  const std::size_t n = text.size();
  auto isBlank = [](char ch) { return ch == ' ' || ch == '\t'; };
  auto isEol = [](char ch) { return ch == '\r' || ch == '\n'; };
  while (i < n && !(lines.size() > lineCount && total >= fieldCount)) {
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
      if (fields.size() == fieldCount)
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

// The fields in the order of the saved controls. The fields are read one after the other
// whatever the lines; but a file that still has all its lines is matched line by line,
// so that a field lost or added in one line cannot shift every later value into the
// wrong control.
std::vector<std::optional<Field>> fieldsOf(std::string_view text) {
  const auto& saved = savedControls();
  const auto lines = linesOf(text);
  std::vector<std::optional<Field>> fields;
  if (lines.size() == static_cast<std::size_t>(saved.back().line)) {
    std::size_t k = 0;  // the field's place in its line
    for (std::size_t i = 0; i < saved.size(); ++i) {
      k = i > 0 && saved[i].line == saved[i - 1].line ? k + 1 : 0;
      const auto& line = lines[static_cast<std::size_t>(saved[i].line - 1)];
      fields.push_back(k < line.size() ? std::optional<Field>(line[k]) : std::nullopt);
    }
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

const std::vector<SavedControl>& savedControls() {
  static const std::vector<SavedControl> controls = [] {
    std::vector<SavedControl> list;
    for (const LayoutRow& row : kLayout) {
      if (row.count == 0) list.push_back({row.line, row.name, row.kind});
      for (int i = row.first; i < row.first + row.count; ++i)
        list.push_back({row.line, numbered(row.name, i), row.kind});
    }
    return list;
  }();
  return controls;
}

std::string settingsText(const ParameterSet& p) {
  std::string out;
  int line = 1;
  for (const SavedControl& c : savedControls()) {
    if (c.line != line) {
      out += "\r\n";
      line = c.line;
    } else if (&c != &savedControls().front()) {
      out += ",";
    }
    switch (c.kind) {
      case SavedKind::Choice: out += std::to_string(p.choice(c.name)); break;
      case SavedKind::Text: out += quoted(p.text(c.name)); break;
      case SavedKind::Switch: out += std::to_string(p.switchValue(c.name)); break;
      case SavedKind::Option: out += truth(p.option(c.name)); break;
    }
  }
  return out + "\r\n";
}

void applySettingsText(ParameterSet& p, std::string_view text) {
  const auto fields = fieldsOf(text);
  const auto& saved = savedControls();
  // A missing or malformed field leaves its control as it was.
  for (std::size_t i = 0; i < saved.size() && i < fields.size(); ++i) {
    if (!fields[i]) continue;
    const Field& f = *fields[i];
    const std::string& name = saved[i].name;
    switch (saved[i].kind) {
      case SavedKind::Choice:
        // A position is read as a 16-bit number; only -1..6 names a type (or none).
        if (auto v = wholeNumber(f, -32768, 32767); v && *v >= -1 && *v <= 6) p.setChoice(name, static_cast<int>(*v));
        break;
      case SavedKind::Text: p.setText(name, f.text); break;
      case SavedKind::Switch:
        if (auto v = wholeNumber(f, 0, 2)) p.setSwitch(name, static_cast<int>(*v));
        break;
      case SavedKind::Option:
        if (auto v = truthValue(f)) p.setOption(name, *v);
        break;
    }
  }
}

void Dir1_Change(ParameterSet& params, const std::filesystem::path& folder) {
  const std::string base = baseName(folder);
  params.setText("LabelTer", "Use '" + base + ".ter'");
  params.setText("LabelBmp", "Use '" + base + "_elv.bmp'");
  std::error_code ec;
  params.setSwitch("UseCover", std::filesystem::exists(terrainFile(folder, suffix::kCover), ec) ? 1 : 0);
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

  // No settings file: the built-in defaults, then thresholds computed from them. Weights
  // that give none are refused there, and the start-up ends early with them.
  p.restoreStartUpValues(false);
  return SetAltIntervals_Click(cx);
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
