// Files that are not what they seem (pipes, devices, sparse giants), fields cut short and
// imports without a scale: every reader refuses them at once with its open-failure
// message and the reason, and no file of the folder changes.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

#include <map>

#include "app/commands.h"
#include "app/settings_file.h"
#include "demo/terragen_builder.h"
#include "maps/preview_terrain.h"
#include "support/system_texts.h"
#include "support/terrain_fixture.h"
#include "terrain/greyscale_bitmap.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {
namespace {

enum class Hazard { Pipe, Device, Giant };
#ifdef _WIN32
const Hazard kHazards[] = {Hazard::Giant};  // no named pipes or devices in a folder on Windows
#else
const Hazard kHazards[] = {Hazard::Pipe, Hazard::Device, Hazard::Giant};
#endif

struct FileHazards : testing::TerrainFixture {
  FileHazards() {
    writeElevation(ElevationGrid());
    writeTypes(CellGrid());
    writeSubTypes(CellGrid());
    writeObjects("A01HQT,HQ0,0,500,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
    writeTracks("0\r\n");
    writeTerragen(demo::TerragenBuilder());
    writeGreyscale({});
    h.cx.settingsFile = tmp.path() / "quarnby.cfg";
  }

  // Puts the hazard where `path` was; the reason a reader limited to `limitMiB` gives.
  static std::string plant(Hazard hazard, const std::filesystem::path& path, int limitMiB) {
    std::filesystem::remove(path);
    switch (hazard) {
#ifndef _WIN32
      case Hazard::Pipe: EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0); return "not a regular file";
      case Hazard::Device: std::filesystem::create_symlink("/dev/zero", path); return "not a regular file";
#else
      case Hazard::Pipe:
      case Hazard::Device: break;  // no named pipes or devices in a folder on Windows
#endif
      case Hazard::Giant: {
        testing::writeText(path, "");
        // Sparse: no block written. Some file systems (Wine's prefix on some machines) refuse
        // 64 GiB; just past the largest limit takes the same path.
        std::error_code error;
        std::filesystem::resize_file(path, std::uintmax_t{64} << 30, error);
        if (error) std::filesystem::resize_file(path, std::uintmax_t{257} << 20);
        return "larger than " + std::to_string(limitMiB) + " MiB";
      }
    }
    return {};
  }

  static std::string lastLine(const std::string& text) { return text.substr(text.find_last_of("\r\n") + 1); }
  static std::string firstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }
};

TEST_F(FileHazards, EveryReaderRefusesPipesDevicesAndGiantsAtOnce) {
  struct Case {
    const char* command;
    std::string_view suffix;
    const char* kindLine;
    int limitMiB;
    std::map<std::string, std::string> sets;
  };
  const std::vector<Case> cases = {
      {"set-type", suffix::kElevation, "Can't open the Elevation File:", 16, {}},
      {"set-sub-types", suffix::kType, "Can't open the Type File:", 16, {}},
      {"modify-terrain", suffix::kSubType, "Can't open the Tile Sub-Type File:", 16, {{"Check1", "1"}}},
      {"modify-terrain", suffix::kObjects, "Can't open the Object File:", 256, {{"Check1", "0"}}},
      {"make-map", suffix::kTracks, "Can't open the Type File:", 256, {{"MapOp2", "true"}}},
      {"find-units-terragen", suffix::kTerragen, "Can't open the Elevation File:", 16, {}},
      {"set-elevation-terragen", suffix::kTerragen, "Can't open the Elevation File:", 16, {{"MaxUnits", "1"}}},
      {"find-units-greyscale", suffix::kGreyscale, "Can't open the Greyscale File:", 16, {}},
      {"set-elevation-greyscale", suffix::kGreyscale, "Can't open the greyscale File:", 16, {}},
  };
  for (const Hazard hazard : kHazards) {
    for (const Case& c : cases) {
      const auto path = file(c.suffix);
      const auto original = testing::readBytes(path);
      const std::string reason = plant(hazard, path, c.limitMiB);
      const auto before = snapshot();
      for (const auto& [control, value] : c.sets) ASSERT_TRUE(h.params.setFromText(control, value));
      h.host = {};
      const std::string where = std::string(c.command) + " on " + path.filename().string() + ", hazard " +
                                std::to_string(static_cast<int>(hazard));
      EXPECT_EQ(runCommand(*findCommand(c.command), h.cx), Outcome::EndedEarly) << where;
      ASSERT_EQ(h.host.messages.size(), 1u) << where;
      EXPECT_EQ(firstLine(h.host.messages[0].text), c.kindLine) << where;
      EXPECT_EQ(lastLine(h.host.messages[0].text), reason) << where;
      EXPECT_EQ(snapshot(), before) << where;
      std::filesystem::remove(path);
      testing::writeBytes(path, original);
    }
  }
}

TEST_F(FileHazards, ThePreviewAndStartUpShowWhyAndCarryOn) {
  for (const Hazard hazard : kHazards) {
    const std::string gridReason = plant(hazard, file(suffix::kElevation), 16);
    const std::string textReason = plant(hazard, file(suffix::kObjects), 256);
    const auto terrain = preview::loadPreviewTerrain(folder);
    EXPECT_FALSE(terrain.elevation);
    EXPECT_EQ(terrain.elevation.note, "Can't read Europe.elv: " + gridReason);
    EXPECT_EQ(terrain.sites.note, "Can't read Europe.oba: " + textReason);
    EXPECT_TRUE(terrain.types);

    // A settings file that cannot be read is named, then the defaults are used.
    const std::string settingsReason = plant(hazard, h.cx.settingsFile, 16);
    h.host = {};
    h.params.setText("Text25", "5500");
    EXPECT_EQ(Form_Load(h.cx), Outcome::Completed);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0].text, "Can't read the settings file:\r\n" + h.cx.settingsFile.string() + "\r\n" +
                                           settingsReason + "\r\nThe default settings are used.");
    EXPECT_EQ(h.host.messages[0].icon, Icon::Exclamation);
    EXPECT_EQ(h.params.text("MaxAlt"), "1400");
    EXPECT_EQ(h.params.text("Text24"), " 4767");  // the thresholds computed anew
  }
}

TEST_F(FileHazards, AnUnreadableSettingsFileIsNamedButAMissingOneIsNot) {
  std::filesystem::create_directory(h.cx.settingsFile);
  EXPECT_EQ(Form_Load(h.cx), Outcome::Completed);
  EXPECT_EQ(lastLine(firstLine(h.host.onlyMessage())), "Can't read the settings file:");
  EXPECT_NE(h.host.onlyMessage().find("\r\n" + testing::systemText(EISDIR) + "\r\n"), std::string::npos);

  std::filesystem::remove(h.cx.settingsFile);
  h.host = {};
  EXPECT_EQ(Form_Load(h.cx), Outcome::Completed);
  EXPECT_TRUE(h.host.messages.empty());
}

}  // namespace
}  // namespace quarnby
