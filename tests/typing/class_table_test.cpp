#include "typing/class_table.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/class_tables.h"
#include "support/temp_folder.h"
#include "terrain/cover_bitmap.h"

namespace quarnby {
namespace {

// Every shipped table is found beside the program and reads; a few classes of each say
// that the right file was read and its types kept.
TEST(ClassTables, EveryShippedTableLoadsFromBesideTheProgram) {
  struct Probe {
    const char* table;
    std::int64_t code;
    std::uint8_t entry;
  };
  const std::vector<Probe> probes = {
      {"esa-worldcover", 80, kCoverWater},
      {"esa-worldcover", 20, kCoverOpen},
      {"esa-worldcover", 0, kNoLandCover},
      {"cgls-lc100", 116, 5},
      {"cgls-lc100", 200, kCoverWater},
      {"corine-grid", 31, 4},
      {"corine-grid", -128, kNoLandCover},
      {"corine-clc", 523, kCoverWater},
      {"corine-clc", 335, 6},
      {"nlcd", 31, kCoverBare},
      {"nlcd", 82, 3},
      {"modis-igbp", 17, kCoverWater},
      {"esa-cci", 201, 4},
      {"esa-cci", 153, kCoverBare},
      {"globcover", 230, kNoLandCover},
  };
  for (const auto name : shippedClassTables()) {
    std::string error;
    EXPECT_TRUE(loadClassTable(std::string(name), error)) << name << ": " << error;
  }
  for (const Probe& p : probes) {
    std::string error;
    const auto table = loadClassTable(p.table, error);
    ASSERT_TRUE(table) << error;
    EXPECT_EQ(table->find(p.code), p.entry) << p.table << " code " << p.code;
  }
}

// A table written out reads back with every field as it was: commas and quotes in a
// name or a note are quoted, so the columns do not shift.
TEST(ClassTables, WrittenTablesReadBackWhole) {
  std::string error;
  for (const auto name : shippedClassTables()) {
    const auto table = loadClassTable(std::string(name), error);
    ASSERT_TRUE(table) << error;
    const auto again = ClassTable::parse(classTableText(table->rows()), "again", error);
    ASSERT_TRUE(again) << name << ": " << error;
    EXPECT_EQ(again->entries(), table->entries()) << name;
    ASSERT_EQ(again->rows().size(), table->rows().size()) << name;
    for (std::size_t i = 0; i < table->rows().size(); ++i) {
      const ClassRow &a = again->rows()[i], &b = table->rows()[i];
      EXPECT_EQ(std::tie(a.code, a.name, a.type, a.note), std::tie(b.code, b.name, b.type, b.note)) << name << " " << i;
    }
  }
  const std::vector<ClassRow> odd = {{"7", "Sand, \"dunes\"", "ALT-BARE", "a, b"}};
  EXPECT_EQ(classTableText(odd), "code,name,type,note\r\n7,\"Sand, \"\"dunes\"\"\",ALT-BARE,\"a, b\"\r\n");
  const auto back = ClassTable::parse(classTableText(odd), "odd", error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->rows()[0].name, "Sand, \"dunes\"");
  EXPECT_EQ(back->rows()[0].note, "a, b");
}

TEST(ClassTables, UnknownCodesCountAsAltitudeAndAreCounted) {
  std::string error;
  auto table =
      ClassTable::parse("code,name,type,note\r\n10,\"Trees, dense\",5,\"alt. \"\"Forest\"\"\"\r\n", "t.csv", error);
  ASSERT_TRUE(table) << error;
  EXPECT_EQ(table->entryOf(10), 5);
  EXPECT_EQ(table->entryOf(77), kNoLandCover);
  EXPECT_EQ(table->entryOf(77), kNoLandCover);
  EXPECT_EQ(table->entryOf(-3), kNoLandCover);
  EXPECT_EQ(table->unknownCodes(), (std::map<std::int64_t, std::uint64_t>{{-3, 1}, {77, 2}}));
}

TEST(ClassTables, ABadLineIsRefusedWithTheFileTheLineAndWhy) {
  struct Case {
    const char* text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"", "mine.csv, line 1: the file is empty; its first line must be \"code,name,type,note\""},
      {"code,class,type\n", "mine.csv, line 1: the first line must be \"code,name,type,note\""},
      {"code,name,type,note\n10,Trees,5\n", "mine.csv, line 2: 4 fields expected (code,name,type,note), found 3"},
      {"code,name,type,note\n\n1x,Trees,5,\n", "mine.csv, line 3: the code '1x' is not a whole number"},
      {"code,name,type,note\n10,Trees,7,\n",
       "mine.csv, line 2: the type '7' is none of 0 to 6, W, ALT, ALT-OPEN, ALT-BARE"},
      {"code,name,type,note\n10,Trees,alt,\n",
       "mine.csv, line 2: the type 'alt' is none of 0 to 6, W, ALT, ALT-OPEN, ALT-BARE"},
      {"code,name,type,note\n10,Trees,5,\n10,More trees,5,\n", "mine.csv, line 3: the code 10 is in the table already"},
      {"code,name,type,note\n10,\"Trees,5,\n", "mine.csv, line 2: a quoted field is not closed"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ClassTable::parse(c.text, "mine.csv", error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(ClassTables, AnUnknownNameOrAMissingFileIsRefused) {
  std::string error;
  EXPECT_FALSE(loadClassTable("worldcover", error));
  EXPECT_EQ(error.substr(0, error.find(':')), "There is no class table named 'worldcover'. The tables are");
  testing::TempFolder tmp;
  const auto own = tmp.path() / "own.CSV";
  EXPECT_FALSE(loadClassTable(own.string(), error));
  EXPECT_EQ(error.substr(0, own.string().size()), own.string());
}

}  // namespace
}  // namespace quarnby
