// Start-up reading any settings file: it must never stop, and what it loads must save.
#include <cstdint>
#include <string_view>

#include "app/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quarnby::ParameterSet params;
  quarnby::applySettingsText(params, std::string_view(reinterpret_cast<const char*>(data), size));
  for (int i = 1; i <= 26; ++i) {
    const int v = params.choice("Combo" + std::to_string(i));
    if (v < -1 || v > 6) __builtin_trap();
  }
  (void)quarnby::settingsText(params);
  return 0;
}
