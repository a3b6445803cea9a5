#include "platform/program_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <system_error>

namespace quarnby::platform {

std::filesystem::path programFile() {
  std::error_code ec;
  auto file = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : file;
}

void* loadModuleEntry(const std::filesystem::path& file, const char* entry, std::string& problem) {
  // Its own symbols stay its own (RTLD_LOCAL); everything is bound now, so a missing
  // library shows here and not half-way through a command.
  void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* why = ::dlerror();
    problem = why ? why : "it cannot be loaded";
    return nullptr;
  }
  ::dlerror();
  void* address = ::dlsym(library, entry);
  if (!address) {
    problem = file.string() + " has no " + entry;
    return nullptr;
  }
  return address;
}

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace quarnby::platform
