#include <gtest/gtest.h>

#include <sstream>

#include "app/commands.h"
#include "batch/batch.h"
#include "support/terrain_fixture.h"
#include "terrain/theatre_frame.h"

namespace quarnby {
namespace {

struct SetFrame : testing::TerrainFixture {
  SetFrame() : TerrainFixture("Alps") {}
  std::string run(std::vector<std::string> args, int expectedStatus) {
    args.insert(args.begin(), {"--config", (tmp.path() / "none.cfg").string(), folder.string()});
    std::ostringstream out, err;
    EXPECT_EQ(runBatch(args, out, err), expectedStatus) << out.str() << err.str();
    return out.str() + err.str();
  }
};

// The frame it writes is the one Import DEM writes for that centre, read back whole; a
// second centre replaces it, and undo puts back each state in turn.
TEST_F(SetFrame, RecordsTheCentreAndUndoes) {
  const std::string first = run({"set-frame", "--centre", "46.5,8"}, 0);
  EXPECT_NE(first.find("Theatre centre 46.50000 N, 8.00000 E recorded in " + theatreFrameFile(folder).string()),
            std::string::npos)
      << first;
  std::string error;
  const auto frame = readTheatreFrame(folder, error);
  ASSERT_TRUE(frame) << error;
  EXPECT_EQ(frame->lat, 46.5);
  EXPECT_EQ(frame->lon, 8.0);
  EXPECT_EQ(frame->projection, "+proj=aeqd +lat_0=46.5000000000 +lon_0=8.0000000000 +datum=WGS84 +units=m +no_defs");
  const auto firstBytes = testing::readBytes(theatreFrameFile(folder));

  const std::string second = run({"set-frame", "--centre", "-33.25,-70.125"}, 0);
  EXPECT_NE(second.find("Theatre centre 33.25000 S, 70.12500 W recorded"), std::string::npos) << second;
  EXPECT_NE(second.find("It was Theatre centre 46.50000 N, 8.00000 E."), std::string::npos) << second;

  EXPECT_NE(run({"history"}, 0).find("Set Theatre Centre (gis/Alps_theatre.txt)"), std::string::npos);
  run({"undo"}, 0);
  EXPECT_EQ(testing::readBytes(theatreFrameFile(folder)), firstBytes);
  run({"undo"}, 0);
  EXPECT_FALSE(std::filesystem::exists(theatreFrameFile(folder)));
  run({"redo"}, 0);
  EXPECT_EQ(testing::readBytes(theatreFrameFile(folder)), firstBytes);
}

TEST_F(SetFrame, RefusesWhatIsNoCentreAndLeavesTheFolder) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"set-frame"}, 1, "Set Theatre Centre needs the centre in degrees: --centre LAT,LON."},
      {{"set-frame", "--centre", "46.5"}, 2, "--centre needs LAT,LON in degrees, got '46.5'"},
      {{"set-frame", "--centre", "north,east"}, 2, "--centre needs LAT,LON in degrees, got 'north,east'"},
      {{"set-frame", "--centre", "80.5,8"}, 1, "The theatre centre 80.50000, 8.00000 lies out of range"},
      {{"set-frame", "--centre", "46.5,180.5"}, 1, "lies out of range"},
      {{"set-frame", "--centre", "nan,8"}, 1, "The theatre centre must be a latitude and a longitude in degrees."},
  };
  const auto before = snapshot();
  for (const Case& c : cases) {
    const std::string out = run(c.args, c.status);
    EXPECT_NE(out.find(c.says), std::string::npos) << out;
    EXPECT_EQ(snapshot(), before) << c.says;
  }
}

// The window hands the operation the text as typed, unchecked by the argument reader.
TEST_F(SetFrame, TheOperationRefusesTextThatIsNoPoint) {
  CommandRequest request;
  request.options.emplace_back("--centre", "46.5;8");
  h.cx.request = &request;
  EXPECT_EQ(runCommand(*findCommand("set-frame"), h.cx), Outcome::EndedEarly);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_NE(h.host.messages[0].text.find("got '46.5;8'"), std::string::npos) << h.host.messages[0].text;
  EXPECT_FALSE(std::filesystem::exists(theatreFrameFile(folder)));
}

}  // namespace
}  // namespace quarnby
