// The object file reader in both modes and with every field count the operations use.
#include <cstdint>
#include <string_view>

#include "terrain/object_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (auto mode : {quarnby::ObjectFileReader::Mode::Line, quarnby::ObjectFileReader::Mode::Field})
    for (std::size_t fields : {4u, 7u, 17u}) {
      for (const auto& record : quarnby::readObjectRecords(text, mode, quarnby::kObjectCodes, fields)) {
        if (record.codeIndex < 0 || record.codeIndex > 8) __builtin_trap();
        for (std::size_t n = 1; n <= fields + 1; ++n) (void)record.number(n);
      }
    }
  return 0;
}
