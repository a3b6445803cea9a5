#include "core/parameter_set.h"

#include <stdexcept>

#include "core/numeric_text.h"

namespace quarnby {
namespace {

const int kBandTypes[26] = {0, 1, 5, 1, 5, 3, 2, 1, 5, 3, 1, 5, 1, 5, 1, 5, 1, 2, 5, 2, 5, 2, 4, 6, 1, 2};
const char* const kThresholds[22] = {"307",  "404",  "868",  "1002", "1595", "1757", "2097", "2274",
                                     "2833", "3640", "3852", "4288", "5205", "5686", "6688", "6946",
                                     "7209", "8014", "8289", "9131", "9708", "11200"};
const char* const kGapWeights[22] = {"5", "1", "4", "1", "4", "1", "2", "1", "3", "4", "1",
                                     "2", "4", "2", "4", "1", "1", "3", "1", "3", "2", "5"};

std::string nameOf(std::string_view name) { return std::string(name); }

const std::vector<std::vector<std::string>> kOptionGroups = {{"MapSize256", "MapSize512"},
                                                             {"MapOp1", "MapOp2", "MapOp3"}};

int groupOf(const std::string& name) {
  for (std::size_t g = 0; g < kOptionGroups.size(); ++g)
    for (const std::string& member : kOptionGroups[g])
      if (member == name) return static_cast<int>(g);
  return -1;
}

}  // namespace

const std::vector<ControlStart>& controlTable() {
  using K = ControlKind;
  using S = StartUp;
  static const std::vector<ControlStart> table = [] {
    std::vector<ControlStart> t;
    // The band types and gap weights go back to these without a settings file; the
    // thresholds are then computed from the weights, so they keep their value.
    for (int i = 1; i <= 26; ++i)
      t.push_back(
          {"Combo" + std::to_string(i), K::TypeChoice, std::to_string(kBandTypes[i - 1]), S::WithoutSettingsFile});
    t.push_back({"Text3", K::Text, "1.5", S::WithoutSettingsFile});
    for (int i = 4; i <= 25; ++i) t.push_back({"Text" + std::to_string(i), K::Text, kThresholds[i - 4]});
    for (int i = 0; i <= 21; ++i)
      t.push_back({"g" + std::to_string(i), K::Text, kGapWeights[i], S::WithoutSettingsFile});
    const std::vector<ControlStart> named = {
        {"MaxUnits", K::Text, "0", S::WithoutSettingsFile},
        {"slUnits", K::Text, "0", S::WithoutSettingsFile},
        {"MinUnits", K::Text, "0", S::WithoutSettingsFile},
        {"MaxAlt", K::Text, "1400", S::WithoutSettingsFile},
        {"unitExp", K::Text, "2", S::WithoutSettingsFile},
        {"MaxSmothAlt", K::Text, "3000", S::WithoutSettingsFile},
        {"InvFileOrder", K::Switch, "1", S::WithoutSettingsFile},
        {"MapSize256", K::Option, "true", S::WithoutSettingsFile},
        {"MapSize512", K::Option, "false", S::WithoutSettingsFile},
        {"slUnitsBmp", K::Text, "0"},
        {"maxUbmp", K::Display, "255", S::WithoutSettingsFile},
        {"minUbmp", K::Display, "0", S::WithoutSettingsFile},
        {"PreserveZeros", K::Switch, "1", S::WithoutSettingsFile},
        {"MaxFarmGrade", K::Text, "8"},
        // The Modify Terrain switches are not saved: every start-up sets them.
        {"LevelTerr", K::Switch, "1", S::Always},
        {"Check1", K::Switch, "0", S::Always},
        {"Check2", K::Switch, "1", S::Always},
        {"Check3", K::Switch, "0", S::Always},
        {"MapOp1", K::Option, "true"},
        {"MapOp2", K::Option, "false"},
        {"MapOp3", K::Option, "false"},
        {"LenRoad", K::Text, "8", S::WithoutSettingsFile},
        {"LenTrack", K::Text, "10", S::WithoutSettingsFile},
        {"LenRiver", K::Text, "3", S::WithoutSettingsFile},
        {"LabelTer", K::Display, "Use '.ter'"},
        {"LabelBmp", K::Display, "Use '_elv.bmp'"},
        // Set Type's land cover switch follows the folder (on when it has the layer), never the settings file.
        {"UseCover", K::Switch, "0"},
    };
    t.insert(t.end(), named.begin(), named.end());
    return t;
  }();
  return table;
}

ParameterSet::ParameterSet() {
  groups_ = kOptionGroups;
  for (const ControlStart& c : controlTable()) {
    const bool textLike = c.kind == ControlKind::Text || c.kind == ControlKind::Display;
    const int value = textLike ? 0 : c.kind == ControlKind::Option ? (c.value == "true" ? 1 : 0) : std::stoi(c.value);
    add(c.name, c.kind, textLike ? c.value : std::string(), value, groupOf(c.name));
  }
}

void ParameterSet::restoreStartUpValues(bool settingsFileRead) {
  for (const ControlStart& c : controlTable())
    if (c.startUp == StartUp::Always || (c.startUp == StartUp::WithoutSettingsFile && !settingsFileRead))
      setFromText(c.name, c.value);
}

void ParameterSet::add(std::string name, ControlKind kind, std::string text, int value, int group) {
  index_[name] = controls_.size();
  order_.push_back(name);
  controls_.push_back(Control{std::move(name), kind, std::move(text), value, group});
}

bool ParameterSet::has(std::string_view name) const { return index_.count(nameOf(name)) != 0; }

const ParameterSet::Control& ParameterSet::find(std::string_view name) const {
  const auto it = index_.find(nameOf(name));
  if (it == index_.end()) throw std::out_of_range("no control named " + nameOf(name));
  return controls_[it->second];
}

ControlKind ParameterSet::kind(std::string_view name) const { return find(name).kind; }

const ParameterSet::Control& ParameterSet::at(std::string_view name, ControlKind kind) const {
  const Control& c = find(name);
  const bool textLike = (kind == ControlKind::Text || kind == ControlKind::Display) &&
                        (c.kind == ControlKind::Text || c.kind == ControlKind::Display);
  if (c.kind != kind && !textLike) throw std::invalid_argument("control " + c.name + " is of another kind");
  return c;
}

ParameterSet::Control& ParameterSet::at(std::string_view name, ControlKind kind) {
  return const_cast<Control&>(static_cast<const ParameterSet*>(this)->at(name, kind));
}

void ParameterSet::changed(const Control& c) {
  if (listener_) listener_(c.name);
}

const std::string& ParameterSet::text(std::string_view name) const { return at(name, ControlKind::Text).text; }

void ParameterSet::setText(std::string_view name, std::string text) {
  Control& c = at(name, ControlKind::Text);
  if (c.text == text) return;
  c.text = std::move(text);
  changed(c);
}

double ParameterSet::number(std::string_view name) const { return numericValue(text(name)); }

int ParameterSet::choice(std::string_view name) const { return at(name, ControlKind::TypeChoice).value; }

void ParameterSet::setChoice(std::string_view name, int position) {
  if (position < -1 || position > 6) throw std::out_of_range("type choice position out of range");
  Control& c = at(name, ControlKind::TypeChoice);
  if (c.value == position) return;
  c.value = position;
  changed(c);
}

int ParameterSet::switchValue(std::string_view name) const { return at(name, ControlKind::Switch).value; }

void ParameterSet::setSwitch(std::string_view name, int value) {
  if (value < 0 || value > 2) throw std::out_of_range("switch value out of range");
  Control& c = at(name, ControlKind::Switch);
  if (c.value == value) return;
  c.value = value;
  changed(c);
}

bool ParameterSet::option(std::string_view name) const { return at(name, ControlKind::Option).value != 0; }

void ParameterSet::setOption(std::string_view name, bool chosen) {
  Control& c = at(name, ControlKind::Option);
  if (chosen) {
    for (const std::string& other : groups_[c.group]) {
      Control& o = controls_[index_.at(other)];
      if (&o != &c && o.value != 0) {
        o.value = 0;
        changed(o);
      }
    }
  }
  if (c.value == (chosen ? 1 : 0)) return;
  c.value = chosen ? 1 : 0;
  changed(c);
}

const std::vector<std::string>& ParameterSet::optionGroup(std::string_view name) const {
  return groups_[at(name, ControlKind::Option).group];
}

std::string ParameterSet::valueText(std::string_view name) const {
  const Control& c = find(name);
  switch (c.kind) {
    case ControlKind::Text:
    case ControlKind::Display: return c.text;
    case ControlKind::Option: return c.value ? "true" : "false";
    case ControlKind::TypeChoice:
    case ControlKind::Switch: return std::to_string(c.value);
  }
  return {};
}

bool ParameterSet::setFromText(std::string_view name, std::string_view value) {
  const Control& c = find(name);
  auto wholeIn = [&](int low, int high, int& out) {
    try {
      std::size_t used = 0;
      const int v = std::stoi(std::string(value), &used);
      if (used != value.size() || v < low || v > high) return false;
      out = v;
      return true;
    } catch (const std::exception&) {
      return false;
    }
  };
  int v = 0;
  switch (c.kind) {
    case ControlKind::Text:
    case ControlKind::Display: setText(name, std::string(value)); return true;
    case ControlKind::Option:
      if (value != "true" && value != "false") return false;
      setOption(name, value == "true");
      return true;
    case ControlKind::TypeChoice:
      if (!wholeIn(-1, 6, v)) return false;
      setChoice(name, v);
      return true;
    case ControlKind::Switch:
      if (!wholeIn(0, 2, v)) return false;
      setSwitch(name, v);
      return true;
  }
  return false;
}

}  // namespace quarnby
