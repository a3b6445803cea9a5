#include "dem/joined_text.h"

#include <algorithm>

#include "dem/theatre_warp.h"

namespace quarnby::dem {

std::string joinedText(std::span<const std::string> items) {
  std::string text;
  for (auto it = items.begin(); it != items.end(); ++it)
    if (std::find(items.begin(), it, *it) == it) text += (text.empty() ? "" : ", ") + *it;
  return text;
}

std::string resamplingNamesText() { return joinedText(resamplingNames()); }

}  // namespace quarnby::dem
