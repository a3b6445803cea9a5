#include "typing/altitude_intervals.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_folder.h"

namespace quarnby {
namespace {

using testing::Harness;

std::vector<std::string> thresholds(const ParameterSet& p) {
  std::vector<std::string> out;
  for (int i = 4; i <= 25; ++i) out.push_back(p.text("Text" + std::to_string(i)));
  return out;
}

std::vector<std::string> blanked(const std::vector<int>& values) {
  std::vector<std::string> out;
  for (int v : values) out.push_back((v < 0 ? "" : " ") + std::to_string(v));
  return out;
}

void setWeights(ParameterSet& p, const std::vector<std::string>& weights) {
  for (int i = 0; i < 22; ++i) p.setText("g" + std::to_string(i), weights[i]);
}

struct IntervalsTest : ::testing::Test {
  Harness h{"/tmp/Europe"};
  void run(const std::string& exponent, const std::string& top) {
    h.params.setText("Text3", exponent);
    h.params.setText("Text25", top);
    EXPECT_EQ(SetAltIntervals_Click(h.cx), Outcome::Completed);
    EXPECT_TRUE(h.host.messages.empty());
  }
};

TEST_F(IntervalsTest, StartUpDefaults) {
  run("1.5", "11200");
  EXPECT_EQ(thresholds(h.params), blanked({307,  404,  868,  1002, 1595, 1757, 2097, 2274, 2833, 3640, 3852,
                                           4288, 5205, 5686, 6688, 6946, 7209, 8014, 8289, 9131, 9708, 11200}));
  run("1.5", h.params.text("Text25"));  // pressing "Set" again changes nothing
  EXPECT_EQ(thresholds(h.params)[0], " 307");
}

TEST_F(IntervalsTest, EqualWeights) {
  setWeights(h.params, std::vector<std::string>(22, "1"));
  run("1", "2200");
  std::vector<int> linear;
  for (int i = 1; i <= 22; ++i) linear.push_back(100 * i);
  EXPECT_EQ(thresholds(h.params), blanked(linear));

  run("2", "2200");
  EXPECT_EQ(thresholds(h.params), blanked({5,   18,  41,  73,   114,  164,  223,  291,  368,  455,  550,
                                           655, 768, 891, 1023, 1164, 1314, 1473, 1641, 1818, 2005, 2200}));
}

TEST_F(IntervalsTest, ZeroWeightsGiveZeroWidthBands) {
  std::vector<std::string> w(22, "1");
  w[0] = "0";
  w[1] = "";  // empty counts as 0
  setWeights(h.params, w);
  run("1", "2000");
  std::vector<int> expected = {0, 0};
  for (int i = 1; i <= 20; ++i) expected.push_back(100 * i);
  EXPECT_EQ(thresholds(h.params), blanked(expected));
}

TEST_F(IntervalsTest, WeightsAreFlooredAndTopRoundedHalfUp) {
  std::vector<std::string> w(22, "1");
  w[0] = "2.9";  // counts as 2
  setWeights(h.params, w);
  run("0", "1000.6");  // x = 0: every threshold is the top
  EXPECT_EQ(thresholds(h.params), std::vector<std::string>(22, " 1001"));
  run("1", "1000.5");
  EXPECT_EQ(thresholds(h.params)[21], " 1001");
  EXPECT_EQ(thresholds(h.params)[0], " 87");  // 2/23 of the range
}

TEST_F(IntervalsTest, HugeThresholdsAreWrittenInPlainDigits) {
  setWeights(h.params, std::vector<std::string>(22, "1"));
  run("0", "1e16");
  EXPECT_EQ(thresholds(h.params), std::vector<std::string>(22, " 10000000000000000"));
  run("0", "-1e20");
  EXPECT_EQ(thresholds(h.params)[21], "-100000000000000000000");
}

TEST_F(IntervalsTest, RefusesWhatItCannotComputeAndKeepsTheThresholds) {
  const auto before = thresholds(h.params);
  // Each refusal puts the focus on the box it names.
  auto expectRefused = [&](const std::string& why, const std::string& focus) {
    h.host = {};
    EXPECT_EQ(SetAltIntervals_Click(h.cx), Outcome::EndedEarly);
    ASSERT_EQ(h.host.messages.size(), 1u);
    EXPECT_EQ(h.host.messages[0].icon, Icon::Critical);
    EXPECT_NE(h.host.messages[0].text.find(why), std::string::npos) << h.host.messages[0].text;
    EXPECT_EQ(h.host.focus, std::vector<std::string>{focus}) << why;
    auto kept = thresholds(h.params);
    kept.back() = before.back();  // the top threshold is one of the cases' inputs
    EXPECT_EQ(kept, before);
  };
  setWeights(h.params, std::vector<std::string>(22, "x"));
  expectRefused("add up to 0", "g0");

  std::vector<std::string> big(22, "1");
  big[3] = "40000";
  setWeights(h.params, big);
  expectRefused("-32768..32767 at gap box g3", "g3");
  big[3] = "1";
  big[5] = "1e999";
  setWeights(h.params, big);
  expectRefused("too large to add up", "g5");

  setWeights(h.params, std::vector<std::string>(22, "1"));
  h.params.setText("Text25", "1e309");
  expectRefused("top threshold 1e309", "Text25");
  h.params.setText("Text25", "11200");
  h.params.setText("g0", "0");
  h.params.setText("Text3", "-1");  // 0 to a negative power
  expectRefused("from the exponent -1", "Text3");

  std::vector<std::string> negative(22, "1");
  negative[0] = "-5";
  setWeights(h.params, negative);
  h.params.setText("Text3", "1.5");
  expectRefused("up to g0 add up to a negative share", "g0");

  h.params.setText("Text3", "2");  // a whole exponent takes a negative base
  EXPECT_EQ(SetAltIntervals_Click(h.cx), Outcome::Completed);
}

}  // namespace
}  // namespace quarnby
