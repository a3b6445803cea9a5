#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quarnby {

// The five kinds of control an operation reads or writes.
enum class ControlKind { Text, TypeChoice, Switch, Option, Display };

// The terrain types, in the order of every type choice's list; the position is the
// type code of the type grid.
inline constexpr const char* kTerrainTypeNames[7] = {"Water", "Grass", "Grassy Rock", "Farm", "Rock", "Forest", "Snow"};

// When start-up puts a control back to its table value: never (it keeps what the window
// shows or the settings file gave), when no settings file could be read, or every time.
enum class StartUp { Keeps, WithoutSettingsFile, Always };

// One control: its name, its kind, its value as the window lays it out (in the form of
// valueText), which is also the value start-up gives it, and when start-up does so.
struct ControlStart {
  std::string name;
  ControlKind kind;
  std::string value;
  StartUp startUp = StartUp::Keeps;
};

// Every control, in the order of ParameterSet::names().
const std::vector<ControlStart>& controlTable();

// Every control of the window as a named value. Operations read and write the controls
// by name; the window mirrors them both ways through the change listener.
class ParameterSet {
 public:
  // Every control at its laid-out value, as at program start before start-up runs.
  ParameterSet();

  bool has(std::string_view name) const;
  ControlKind kind(std::string_view name) const;
  // Every control's name in a fixed order: the band table, then the other controls.
  const std::vector<std::string>& names() const { return order_; }

  // Text parameters and display fields.
  const std::string& text(std::string_view name) const;
  void setText(std::string_view name, std::string text);
  // A text parameter read as a number by the numeric-text rule.
  double number(std::string_view name) const;

  // Type choices: 0..6, or -1 when nothing is picked.
  int choice(std::string_view name) const;
  void setChoice(std::string_view name, int position);

  // Switches: 0 off, 1 on, 2 grey.
  int switchValue(std::string_view name) const;
  void setSwitch(std::string_view name, int value);

  // Options: choosing one clears the others of its group; clearing one leaves the group
  // without a choice.
  bool option(std::string_view name) const;
  void setOption(std::string_view name, bool chosen);
  const std::vector<std::string>& optionGroup(std::string_view name) const;

  // The value as text (switches "0".."2", options "true"/"false", type choices their
  // position), and the reverse; setFromText returns false for a value the kind cannot hold.
  std::string valueText(std::string_view name) const;
  bool setFromText(std::string_view name, std::string_view value);

  // Start-up's part of the control table: the controls it sets every time and, when no
  // settings file could be read, those it sets then.
  void restoreStartUpValues(bool settingsFileRead);

  // Called with the control's name after every change of value.
  using Listener = std::function<void(const std::string& name)>;
  void setListener(Listener listener) { listener_ = std::move(listener); }

 private:
  struct Control {
    std::string name;
    ControlKind kind;
    std::string text;
    int value = 0;  // type choice position, switch value, option 0/1
    int group = -1;
  };
  void add(std::string name, ControlKind kind, std::string text, int value = 0, int group = -1);
  Control& at(std::string_view name, ControlKind kind);
  const Control& at(std::string_view name, ControlKind kind) const;
  const Control& find(std::string_view name) const;
  void changed(const Control& c);

  std::vector<Control> controls_;
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<std::string> order_;
  std::vector<std::vector<std::string>> groups_;
  Listener listener_;
};

}  // namespace quarnby
