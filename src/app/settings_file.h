#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"

namespace quarnby {

// How a saved control stands in the settings file: a type choice as its position, a text
// between double quotes, a switch as 0..2, an option as #TRUE# or #FALSE#.
enum class SavedKind { Choice, Text, Switch, Option };
struct SavedControl {
  int line;  // 1 to 4
  std::string name;
  SavedKind kind;
};

// The saved controls in the order of their fields: the one layout that the writer and
// the reader both walk, so a new saved control is one row of it.
const std::vector<SavedControl>& savedControls();

// The settings file "quarnby.cfg": four CR LF lines of 87 comma-separated fields
// (26 type choices; 22 thresholds; 22 gap weights; exponent, InvFileOrder, the map size,
// the import fields, the track distances, PreserveZeros and the bitmap range).
std::string settingsText(const ParameterSet& params);

// Loads every field that can be read, in order, ignoring the line structure; a missing
// or malformed field leaves its control as it was, and a type choice outside -1..6 too.
void applySettingsText(ParameterSet& params, std::string_view text);

// Dir1_Change: the two source labels follow the folder, and Set Type's land cover switch
// is on when the folder has the layer.
void Dir1_Change(ParameterSet& params, const std::filesystem::path& folder);

// Start-up: the source labels, then the settings file or the defaults with computed
// thresholds. Also the "Re-Load" button.
Outcome Form_Load(Context& cx);
// "Save": writes the settings file.
Outcome SaveConfig_Click(Context& cx);
// "Re-Load": start-up again on the window as it stands.
Outcome ReloadConfig_Click(Context& cx);
// "Toggle": inverts the four switches of the Modify Terrain block.
Outcome ToggleChecks_Click(Context& cx);

}  // namespace quarnby
