#include "terrain/theatre_frame.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "terrain/file_io.h"

namespace quarnby {
namespace {

TEST(TheatreFrame, IsKeptInTheGisFolderAndReadsBackExactly) {
  testing::TempFolder tmp;
  const auto folder = tmp.terrain("Alps");
  EXPECT_EQ(theatreFrameFile(folder), folder / "gis" / "Alps_theatre.txt");
  const TheatreFrame frame{46.5, 8.123456789012345, "+proj=aeqd +lat_0=46.5 +lon_0=8.12 +datum=WGS84"};
  std::filesystem::create_directory(folder / "gis");
  ASSERT_FALSE(replaceFile(theatreFrameFile(folder), theatreFrameText(frame)));
  std::string error;
  bool missing = true;
  const auto read = readTheatreFrame(folder, error, &missing);
  ASSERT_TRUE(read) << error;
  EXPECT_FALSE(missing);
  EXPECT_EQ(read->lat, frame.lat);
  EXPECT_EQ(read->lon, frame.lon);
  EXPECT_EQ(read->projection, frame.projection);
  EXPECT_EQ(theatreCentreText(*read), "Theatre centre 46.50000 N, 8.12346 E");
  EXPECT_EQ(theatreCentreText({-33.9, -70.65, ""}), "Theatre centre 33.90000 S, 70.65000 W");
  EXPECT_EQ(theatreCentreText({-1e-9, -4e-6, ""}), "Theatre centre 0.00000 N, 0.00000 E");

  EXPECT_FALSE(readTheatreFrame(tmp.terrain("Other"), error, &missing));
  EXPECT_TRUE(missing);
}

TEST(TheatreFrame, ABadFileIsRefusedWithTheLineAndWhy) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "it gives no centre"},
      {"# only a comment\r\nprojection = +proj=aeqd\r\n", "it gives no centre"},
      {"centre = 46.5\r\n", "line 1: the centre '46.5' is not LAT,LON in degrees"},
      {"\r\ncentre = 95,8\r\n", "line 2: the centre '95,8' is not LAT,LON in degrees"},
      {"centre = 46.5,8\r\nzoom = 3\r\n", "line 2: 'zoom' is neither centre nor projection"},
  };
  for (const auto& [text, why] : cases) {
    std::string error;
    EXPECT_FALSE(parseTheatreFrame(text, error)) << text;
    EXPECT_EQ(error, why) << text;
  }
}

}  // namespace
}  // namespace quarnby
