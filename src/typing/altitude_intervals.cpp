#include "typing/altitude_intervals.h"

#include <array>
#include <cmath>

#include "core/number_text.h"

namespace quarnby {
namespace {

std::string thresholdName(int i) { return "Text" + std::to_string(i + 4); }

// The message names the box at fault, and the focus goes there.
Outcome refuse(Context& cx, const std::string& control, const std::string& why) {
  cx.host.setFocus(control);
  cx.host.showMessage(why + kCrLf + "The band thresholds were left unchanged.", Icon::Critical);
  return Outcome::EndedEarly;
}

}  // namespace

Outcome SetAltIntervals_Click(Context& cx) {
  std::array<double, 22> weight{};
  double sum = 0;
  for (int i = 0; i < 22; ++i) {
    weight[i] = std::floor(cx.params.number("g" + std::to_string(i)));
    sum += weight[i];
  }
  if (sum == 0)
    return refuse(cx, "g0", "The gap weights add up to 0, so the bands have no share of the altitude range.");
  if (!std::isfinite(sum)) {
    int first = 0;  // the first weight too large on its own, else the first of all
    while (first < 21 && std::isfinite(weight[first])) ++first;
    if (std::isfinite(weight[first])) first = 0;
    return refuse(cx, "g" + std::to_string(first), "The gap weights are too large to add up.");
  }
  const float reciprocal = static_cast<float>(1.0 / sum);

  std::array<double, 22> threshold{};
  long long running = 0;  // held in 16 bits: it must stay within -32768..32767
  for (int i = 0; i < 22; ++i) {
    const double next = static_cast<double>(running) + weight[i];
    if (next < -32768.0 || next > 32767.0)
      return refuse(cx, "g" + std::to_string(i),
                    "The running sum of the gap weights leaves -32768..32767 at gap box g" + std::to_string(i) + ".");
    running = static_cast<long long>(next);
    const double x = cx.params.number("Text3");
    const double top = cx.params.number("Text25");
    const double f = static_cast<double>(reciprocal) * static_cast<double>(static_cast<float>(running));
    const double t = std::floor(std::pow(f, x) * top + 0.5);
    if (!std::isfinite(t)) {
      if (f < 0)
        return refuse(cx, "g" + std::to_string(i),
                      "The gap weights up to g" + std::to_string(i) +
                          " add up to a negative share, which cannot be raised to the power " +
                          cx.params.text("Text3") + ".");
      return refuse(cx, std::isfinite(top) ? "Text3" : "Text25",
                    "The threshold of band " + std::to_string(i + 1) + " cannot be computed from the exponent " +
                        cx.params.text("Text3") + " and the top threshold " + cx.params.text("Text25") + ".");
    }
    threshold[i] = t;
  }
  for (int i = 0; i < 22; ++i) cx.params.setText(thresholdName(i), signedWholeNumberText(threshold[i]));
  return Outcome::Completed;
}

}  // namespace quarnby
