#include "terrain/object_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "support/system_texts.h"
#include "support/temp_folder.h"

namespace quarnby {
namespace {

using Mode = ObjectFileReader::Mode;

std::vector<ObjectRecord> read(std::string_view text, Mode mode, std::size_t fieldCount = 7) {
  return readObjectRecords(text, mode, kObjectCodes, fieldCount);
}

// Lead tokens with their code indexes, in file order.
std::vector<std::pair<std::string, int>> leads(const std::vector<ObjectRecord>& records) {
  std::vector<std::pair<std::string, int>> out;
  for (const auto& r : records) out.emplace_back(r.leadToken, r.codeIndex);
  return out;
}

TEST(ObjectFile, CodeIsCharactersFourToSix) {
  for (const auto& [lead, code] : std::vector<std::pair<std::string, std::string>>{
           {"ABCHQT", "HQT"}, {"ABCHQT99", "HQT"}, {"HQT", ""}, {"ABCH", "H"}, {"", ""}})
    EXPECT_EQ(objectCodeOf(lead), code) << "'" << lead << "'";

  const auto records = read("HQT,a,1,2,3\r\nABCHQT,a\r\nxyzRDF,b\r\nxyzHQ,c\r\n", Mode::Line, 1);
  EXPECT_EQ(leads(records), (std::vector<std::pair<std::string, int>>{{"ABCHQT", 0}, {"xyzRDF", 8}}));
}

TEST(ObjectFile, ReadsTheFieldsOfARecord) {
  const auto records = read("  001CIT ,\t\"Big Town, North\" , 2640, 12.5,-5280,0,0, -1.5 \r\n", Mode::Line);
  ASSERT_EQ(records.size(), 1u);
  const ObjectRecord& r = records[0];
  EXPECT_EQ(r.codeIndex, 3);
  EXPECT_EQ(r.leadToken, "001CIT");
  EXPECT_EQ(r.field(1), "Big Town, North");
  EXPECT_EQ(r.number(2), 2640.0);
  EXPECT_EQ(r.number(3), 12.5);
  EXPECT_EQ(r.number(4), -5280.0);
  EXPECT_EQ(r.number(7), -1.5);
  EXPECT_EQ(r.field(8), "");
  EXPECT_FALSE(r.number(8).has_value());
}

TEST(ObjectFile, NumberFieldsMustBeWholeNumbers) {
  const auto records = read("001HQT,n,12abc,,abc, 1.5E3 ,+7,-.5\r\n", Mode::Line);
  ASSERT_EQ(records.size(), 1u);
  const ObjectRecord& r = records[0];
  EXPECT_FALSE(r.number(2).has_value());
  EXPECT_FALSE(r.number(3).has_value());
  EXPECT_FALSE(r.number(4).has_value());
  EXPECT_EQ(r.number(5), 1500.0);
  EXPECT_EQ(r.number(6), 7.0);
  EXPECT_EQ(r.number(7), -0.5);
}

TEST(ObjectFile, LineModeSkipsHeadersAndLinesWithACodeOnlyInALaterField) {
  const std::string text =
      "Objects,3\r\n"
      "Name,X,Y,Z\r\n"
      "junk,001TWN,1,2,3,4,5,6,7\r\n"
      "001GMS,g,1,2,3,4,5,6\r\n";
  EXPECT_EQ(leads(read(text, Mode::Line)), (std::vector<std::pair<std::string, int>>{{"001GMS", 1}}));
  // Field mode takes the later field as a lead token and the record starts there.
  const auto fieldRecords = read(text, Mode::Field);
  EXPECT_EQ(leads(fieldRecords), (std::vector<std::pair<std::string, int>>{{"001TWN", 2}, {"001GMS", 1}}));
  EXPECT_EQ(fieldRecords[0].field(1), "1");
  EXPECT_EQ(fieldRecords[0].field(7), "7");
}

TEST(ObjectFile, BothModesAgreeOnWellFormedFilesWithLongRecords) {
  std::string text = "header line,without codes\r\n";
  for (int i = 0; i < 3; ++i) {
    text += "00" + std::to_string(i) + "AAF,SAFLD0";
    for (int f = 2; f <= 20; ++f) text += "," + std::to_string(100 * i + f);
    text += "\r\n";
  }
  for (Mode mode : {Mode::Line, Mode::Field}) {
    for (std::size_t count : {4u, 7u, 17u}) {
      const auto records = read(text, mode, count);
      ASSERT_EQ(records.size(), 3u);
      for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(records[i].fields.size(), count);
        EXPECT_EQ(records[i].field(1), "SAFLD0");
        EXPECT_EQ(records[i].number(count), 100.0 * i + count);
      }
    }
  }
}

TEST(ObjectFile, EveryLineEndEndsALine) {
  for (std::string eol : {"\r\n", "\r", "\n"}) {
    const std::string text = "x,001HQT,1" + eol + "001HQT,a,1,2,3,4,5,6,7,8" + eol + eol + "001BAF,b,1,2,3,4,5,6" + eol;
    const auto records = read(text, Mode::Line);
    ASSERT_EQ(records.size(), 2u) << "line end " << (eol == "\n" ? "LF" : eol == "\r" ? "CR" : "CR LF");
    EXPECT_EQ(records[0].field(7), "6");
    EXPECT_EQ(records[1].codeIndex, 6);
    EXPECT_EQ(records[1].field(1), "b");
  }
}

TEST(ObjectFile, ShortRecordsRunOnIntoTheNextLine) {
  // The record's line ends after Z; fields 5 to 7 come from the next line, which ended
  // with field 7, so nothing is discarded and the line after it is read as usual.
  const std::string text =
      "001HQT,a,1,2,3\r\n"
      "4,5,6\r\n"
      "001GMS,b,1,2,3,4,5,6,7\r\n";
  for (Mode mode : {Mode::Line, Mode::Field}) {
    const auto records = read(text, mode);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].field(7), "6");
    EXPECT_EQ(records[1].field(1), "b");
  }
  // When the run-on line is longer, the rest of it is discarded.
  const auto records = read("001HQT,a,1\r\n2,3,4,5,6,001TWN,9\r\n001RDF,c\r\n", Mode::Field);
  EXPECT_EQ(leads(records), (std::vector<std::pair<std::string, int>>{{"001HQT", 0}, {"001RDF", 8}}));
}

TEST(ObjectFile, FieldModeTriesTheNextFieldOfTheSameLine) {
  const auto records = read("abc,de,fghHQT,n,1,2,3\r\n", Mode::Field, 4);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].leadToken, "fghHQT");
  EXPECT_EQ(records[0].number(4), 3.0);
}

TEST(ObjectFile, QuotedFields) {
  // A quoted field runs to the next quote; what follows the quote up to the comma is dropped.
  const auto records = read("\"001TWN\",\"a, b\"x , \"1\",2,\"3\r\n", Mode::Line, 4);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].codeIndex, 2);
  EXPECT_EQ(records[0].field(1), "a, b");
  EXPECT_EQ(records[0].number(2), 1.0);
  EXPECT_EQ(records[0].field(4), "3\r\n");  // an unclosed quote runs to the end of the file
  // A quoted field in a header line may hold what looks like a code after a comma.
  EXPECT_TRUE(read("\"Title,001HQT\"\r\n", Mode::Field, 1).empty());
}

TEST(ObjectFile, TheCallersCodeTable) {
  std::array<std::string_view, 9> codes = kObjectCodes;
  codes[2] = codes[3] = "ZZZ";
  const std::string text = "001TWN,a\r\n001CIT,b\r\n001FUF,c\r\n";
  const auto records = readObjectRecords(text, Mode::Field, codes, 1);
  EXPECT_EQ(leads(records), (std::vector<std::pair<std::string, int>>{{"001FUF", 7}}));
}

TEST(ObjectFile, EndOfFileInsideARecord) {
  // No line end after the last record, and a record cut short by the end of the file.
  auto records = read("001HQT,a,1,2,3,4,5,6\r\n001AMF,b,10", Mode::Line);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].fields.size(), 2u);
  EXPECT_EQ(records[1].number(2), 10.0);
  EXPECT_FALSE(records[1].number(4).has_value());
  // A trailing comma announces one more, empty field.
  records = read("001HQT,a,", Mode::Line);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fields, (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(read("", Mode::Line).empty());
  EXPECT_TRUE(read("\r\n\r\n", Mode::Field).empty());
}

TEST(ObjectFile, OpeningReportsTheSystemsDescription) {
  testing::TempFolder temp;
  std::string error;
  EXPECT_FALSE(readObjectFile(temp.path() / "absent.oba", error).has_value());
  EXPECT_EQ(error, testing::systemText(ENOENT));
  testing::writeText(temp.path() / "a.oba", "001HQT,a\r\n");
  EXPECT_EQ(readObjectFile(temp.path() / "a.oba", error), "001HQT,a\r\n");
}

}  // namespace
}  // namespace quarnby
