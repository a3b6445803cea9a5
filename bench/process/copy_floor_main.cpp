// quarnby-copy-floor IN... [--write OUT...]: the cheapest process that moves the bytes an
// operation moves: it reads each IN whole, then replaces each OUT with the bytes it holds
// through the same safe replace (temporary file, disk sync, rename) the operations use.
// bench/process_bench.py times it beside each operation run as its own process.
#include <cstdio>
#include <string>
#include <vector>

#include "terrain/file_io.h"

int main(int argc, char** argv) {
  bool writing = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--write") {
      writing = true;
      continue;
    }
    std::string error;
    auto bytes = quarnby::readWholeFile(arg, quarnby::readLimit::kText, error);
    if (!bytes) {
      std::fprintf(stderr, "%s: %s\n", arg.c_str(), error.c_str());
      return 1;
    }
    if (writing)
      if (auto failed = quarnby::replaceFile(arg, *bytes)) {
        std::fprintf(stderr, "%s: %s\n", arg.c_str(), failed->c_str());
        return 1;
      }
  }
  return 0;
}
