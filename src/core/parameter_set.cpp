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

}  // namespace

ParameterSet::ParameterSet() {
  groups_ = {{"MapSize256", "MapSize512"}, {"MapOp1", "MapOp2", "MapOp3"}};
  for (int i = 1; i <= 26; ++i) add("Combo" + std::to_string(i), ControlKind::TypeChoice, {}, kBandTypes[i - 1]);
  add("Text3", ControlKind::Text, "1.5");
  for (int i = 4; i <= 25; ++i) add("Text" + std::to_string(i), ControlKind::Text, kThresholds[i - 4]);
  for (int i = 0; i <= 21; ++i) add("g" + std::to_string(i), ControlKind::Text, kGapWeights[i]);
  add("MaxUnits", ControlKind::Text, "0");
  add("slUnits", ControlKind::Text, "0");
  add("MinUnits", ControlKind::Text, "0");
  add("MaxAlt", ControlKind::Text, "1400");
  add("unitExp", ControlKind::Text, "2");
  add("MaxSmothAlt", ControlKind::Text, "3000");
  add("InvFileOrder", ControlKind::Switch, {}, 1);
  add("MapSize256", ControlKind::Option, {}, 1, 0);
  add("MapSize512", ControlKind::Option, {}, 0, 0);
  add("slUnitsBmp", ControlKind::Text, "0");
  add("maxUbmp", ControlKind::Display, "255");
  add("minUbmp", ControlKind::Display, "0");
  add("PreserveZeros", ControlKind::Switch, {}, 1);
  add("MaxFarmGrade", ControlKind::Text, "8");
  add("LevelTerr", ControlKind::Switch, {}, 1);
  add("Check1", ControlKind::Switch, {}, 0);
  add("Check2", ControlKind::Switch, {}, 1);
  add("Check3", ControlKind::Switch, {}, 0);
  add("MapOp1", ControlKind::Option, {}, 1, 1);
  add("MapOp2", ControlKind::Option, {}, 0, 1);
  add("MapOp3", ControlKind::Option, {}, 0, 1);
  add("LenRoad", ControlKind::Text, "8");
  add("LenTrack", ControlKind::Text, "10");
  add("LenRiver", ControlKind::Text, "3");
  add("LabelTer", ControlKind::Display, "Use '.ter'");
  add("LabelBmp", ControlKind::Display, "Use '_elv.bmp'");
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
    case ControlKind::Display:
      return c.text;
    case ControlKind::Option:
      return c.value ? "true" : "false";
    case ControlKind::TypeChoice:
    case ControlKind::Switch:
      return std::to_string(c.value);
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
    case ControlKind::Display:
      setText(name, std::string(value));
      return true;
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
