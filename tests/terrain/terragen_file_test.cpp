#include "terrain/terragen_file.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "support/terragen_builder.h"

namespace quarnby {
namespace {

using testing::TerragenBuilder;

std::optional<TerragenFile> parse(const TerragenBuilder& b, std::string* problem = nullptr) {
  std::string text;
  auto field = TerragenFile::parse(b.bytes(), text);
  if (problem) *problem = text;
  return field;
}

TEST(TerragenFile, UsualChunkSequencePutsScaleBaseAndSamplesAt76_78_80) {
  TerragenBuilder b;
  b.heightScale = 1234;
  b.baseHeight = -56;
  b.at(0, 0) = 7;
  b.at(0, 1) = -8;
  b.at(1, 0) = 9;
  b.at(1024, 1024) = 32767;
  const auto bytes = b.bytes();
  ASSERT_EQ(bytes[76] | bytes[77] << 8, 1234);
  ASSERT_EQ(bytes[80 + 2050], 9);

  auto field = parse(b);
  ASSERT_TRUE(field);
  EXPECT_EQ(field->sampleOffset(), 80u);
  EXPECT_EQ(field->heightScale(), 1234);
  EXPECT_EQ(field->baseHeight(), -56);
  EXPECT_EQ(field->rawSample(0, 0), 7);
  EXPECT_EQ(field->rawSample(0, 1), -8);
  EXPECT_EQ(field->rawSample(1, 0), 9);
  EXPECT_EQ(field->rawSample(1024, 1024), 32767);
}

TEST(TerragenFile, WalksPastMissingOptionalChunks) {
  // A writer that leaves out XPTS/YPTS and the camera chunks puts the samples at 32.
  TerragenBuilder b;
  b.pointChunks = false;
  b.cameraChunks = false;
  b.heightScale = 100;
  b.baseHeight = 3;
  b.at(2, 5) = 11;
  auto field = parse(b);
  ASSERT_TRUE(field);
  EXPECT_EQ(field->sampleOffset(), 32u);
  EXPECT_EQ(field->heightScale(), 100);
  EXPECT_EQ(field->baseHeight(), 3);
  EXPECT_EQ(field->rawSample(2, 5), 11);
}

TEST(TerragenFile, UnitsAreBasePlusRawTimesScaleOver65536) {
  TerragenBuilder b;
  b.heightScale = 16384;
  b.baseHeight = 10;
  auto field = parse(b);
  ASSERT_TRUE(field);
  EXPECT_EQ(field->units(16384), 10 + 4096);
  EXPECT_EQ(field->units(2.5), 10 + 0.625);  // averages of raw samples are fractional

  b.heightScale = -32768;  // the product needs more than 16 bits and is used unchanged
  b.baseHeight = 0;
  field = parse(b);
  ASSERT_TRUE(field);
  EXPECT_EQ(field->units(-32768), 16384);
  EXPECT_EQ(field->units(100), -50);
}

TEST(TerragenFile, ASampleArrayCutShortIsRefusedWithTheSamplesMissing) {
  TerragenBuilder b;
  b.fill(5);
  auto bytes = b.bytes();
  bytes.resize(80 + 2050 * 3 + 1);  // rows 0..2 and one byte of row 3
  std::string problem;
  EXPECT_FALSE(TerragenFile::parse(bytes, problem));
  EXPECT_EQ(problem,
            "It is cut short: 1047550 of its 1050625 height samples are missing (the file ends at byte 6231).");
  bytes = b.bytes();
  bytes.resize(80 + 2 * 1025 * 1025 - 1);  // one byte short: the last sample is half there
  EXPECT_FALSE(TerragenFile::parse(bytes, problem));
  EXPECT_EQ(problem, "It is cut short: 1 of its 1050625 height samples are missing (the file ends at byte 2101329).");
  bytes.push_back(0);  // whole, without its closing "EOF "
  EXPECT_TRUE(TerragenFile::parse(bytes, problem)) << problem;
}

TEST(TerragenFile, AWholeRowReadsAsItsSingleSamples) {
  TerragenBuilder b;
  for (int c = 0; c < 1025; ++c) b.at(2, c) = static_cast<std::int16_t>(c * 63 - 32000), b.at(3, c) = -7;
  b.at(1024, 1024) = 11;
  std::string problem;
  auto field = TerragenFile::parse(b.bytes(), problem);
  ASSERT_TRUE(field) << problem;
  std::array<std::int16_t, 1025> row{};
  for (int r : {2, 3, 4, 1024}) {
    row.fill(99);
    field->rawRow(r, row);
    for (int c = 0; c < 1025; ++c) ASSERT_EQ(row[c], field->rawSample(r, c)) << r << ", " << c;
  }
  EXPECT_EQ(row[1024], 11);
  field->rawRow(3, row);
  EXPECT_EQ(row[99], -7);
  EXPECT_EQ(row[100], -7);
}

TEST(TerragenFile, RefusesWhatIsNotA1025By1025HeightField) {
  const auto usual = TerragenBuilder().bytes();
  const auto changed = [&](std::size_t at, std::uint8_t byte) {
    auto bytes = usual;
    bytes[at] = byte;
    return bytes;
  };
  const auto cut = [&](std::size_t size) {
    auto bytes = usual;
    bytes.resize(size);
    return bytes;
  };
  TerragenBuilder small;
  small.xPoints = small.yPoints = 513;
  TerragenBuilder oblong;
  oblong.yPoints = 2049;
  TerragenBuilder squareBySizeOnly;  // without XPTS/YPTS the field is SIZE + 1 square
  squareBySizeOnly.pointChunks = false;
  squareBySizeOnly.xPoints = squareBySizeOnly.yPoints = 257;
  auto noSamples = usual;
  std::copy_n("EOF ", 4, noSamples.begin() + 72);
  const std::string notAField = "It is not a height field of 1025 x 1025 points: ";
  struct Case {
    const char* where;
    std::vector<std::uint8_t> bytes;
    std::string problem;
    bool whole;  // the problem is the whole text, not only a part of it
  };
  const std::vector<Case> cases = {
      {"513 x 513 points", small.bytes(), notAField + "it has 513 x 513 points.", true},
      {"1025 x 2049 points", oblong.bytes(), notAField + "it has 1025 x 2049 points.", true},
      {"SIZE only", squareBySizeOnly.bytes(), "it has 257 x 257 points", false},
      {"no signature", changed(3, 'X'),
       "It is not a Terragen terrain file: it does not start with \"TERRAGENTERRAIN \".", true},
      {"no bytes", {}, "", false},
      {"SCAL as QCAL", changed(40, 'Q'),
       "It has a chunk marker \"QCAL\" at byte 40 that is not part of a Terragen terrain file.", true},
      {"SCAL with a zero byte", changed(40, 0), "of the bytes 00 43 41 4C at byte 40", false},
      // Inside the ALTW chunk: the height scale but no base height.
      {"cut at 78", cut(78), "It ends at byte 78, inside its ALTW chunk before the height samples.", true},
      {"cut at 50", cut(50), "inside its SCAL chunk", false},
      {"EOF before the samples", noSamples, "no height samples", false},
  };
  for (const Case& c : cases) {
    std::string problem;
    EXPECT_FALSE(TerragenFile::parse(c.bytes, problem)) << c.where;
    if (c.whole) {
      EXPECT_EQ(problem, c.problem) << c.where;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.where << ": " << problem;
    }
  }
}

// Heights from lowest to highest written and read back through the chunk reader: every
// height within half a step of where it was, the step under half a foot for the whole
// range of the earth's land, sea level exact.
TEST(TerragenFile, WrittenFieldsKeepTheirHeightsToHalfAStep) {
  struct Case {
    double lowest, highest, stepAtMost;
  };
  for (const Case& k : {Case{0.0, 0.0, 1e-4}, Case{-1412.0, 29032.0, 0.5}, Case{-32000.0, 0.0, 0.5},
                        Case{767.0, 32767.0, 0.5}, Case{12.25, 13.5, 1e-4}, Case{-3.0, 20011.0, 0.5}}) {
    SCOPED_TRACE(k.lowest);
    const auto encoding = TerragenEncoding::forRange(k.lowest, k.highest);
    const double step = encoding.heightScale / 65536.0;
    EXPECT_LE(step, k.stepAtMost);
    std::vector<std::int16_t> samples(1025 * 1025, encoding.raw(k.lowest));
    samples[1025 * 1024 + 1024] = encoding.raw(k.highest);  // last row, last column
    samples[7] = encoding.raw((k.lowest + k.highest) / 2);  // first row
    std::string problem;
    const auto field = TerragenFile::parse(terragenFileBytes(samples, encoding, 804.672f, 0.3048f), problem);
    ASSERT_TRUE(field) << problem;
    EXPECT_EQ(field->sampleOffset(), 80u);
    EXPECT_NEAR(field->units(field->rawSample(0, 0)), k.lowest, step / 2 + 1e-9);
    EXPECT_NEAR(field->units(field->rawSample(1024, 1024)), k.highest, step / 2 + 1e-9);
    EXPECT_NEAR(field->units(field->rawSample(0, 7)), (k.lowest + k.highest) / 2, step / 2 + 1e-9);
    if (k.lowest <= 0 && k.highest >= 0) {
      EXPECT_EQ(encoding.units(encoding.raw(0.0)), 0.0);  // the sea, exactly
    }
  }
}

}  // namespace
}  // namespace quarnby
