#include "platform/program_module.h"

#include <io.h>

#include <cstdio>
#include <vector>

#include "platform/windows/system_text.h"

namespace quarnby::platform {

std::filesystem::path programFile() {
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) return std::filesystem::path(std::wstring(name.data(), length));
    name.resize(name.size() * 2);
  }
}

void* loadModuleEntry(const std::filesystem::path& file, const char* entry, std::string& problem) {
  // The libraries it needs are looked for beside it first, as beside the program.
  HMODULE library =
      ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (!library) {
    problem = file.string() + ": " + lastSystemText();
    return nullptr;
  }
  FARPROC address = ::GetProcAddress(library, entry);
  if (!address) {
    problem = file.string() + " has no " + entry;
    return nullptr;
  }
  return reinterpret_cast<void*>(address);
}

bool standardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

}  // namespace quarnby::platform
