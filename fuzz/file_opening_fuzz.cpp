// The way every reader opens its file: the first byte picks what stands at the file's
// name (a regular file holding the rest of the input, a named pipe, a device, a folder, a
// sparse giant, a link going nowhere or round in a circle), then every reader and the
// preview read it, and the safe replace writes over it. Nothing may hang, crash or take
// more memory than the readers' limits.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "maps/preview_terrain.h"
#include "terrain/file_io.h"
#include "terrain/greyscale_bitmap.h"
#include "terrain/grids.h"
#include "terrain/object_file.h"
#include "terrain/terragen_file.h"
#include "terrain/track_file.h"

namespace fs = std::filesystem;
using namespace quarnby;

namespace {

const fs::path& folder() {
  static const fs::path made = [] {
    std::string pattern = (fs::temp_directory_path() / "quarnby-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    fs::create_directory(fs::path(pattern) / "Demo");
    return fs::path(pattern) / "Demo";
  }();
  return made;
}

void plant(const fs::path& file, std::uint8_t kind, const std::uint8_t* data, std::size_t size) {
  std::error_code ec;
  fs::remove_all(file, ec);
  switch (kind % 9) {
    case 0: {
      FILE* out = std::fopen(file.c_str(), "wb");
      if (!out) std::abort();
      std::fwrite(data, 1, size, out);
      std::fclose(out);
      break;
    }
    case 1: ::mkfifo(file.c_str(), 0644); break;
    case 2: fs::create_symlink("/dev/zero", file, ec); break;
    case 3: fs::create_symlink("/dev/urandom", file, ec); break;
    case 4: fs::create_directory(file, ec); break;
    case 5: {  // sparse, of a length the input gives: small, or beyond every reader's limit
      std::uint64_t length = 0;
      for (std::size_t i = 0; i < size && i < 5; ++i) length = length << 8 | data[i];
      length = length & 1 ? (std::uint64_t{256} << 20) + 1 + length % (std::uint64_t{1} << 30)
                          : length % (std::uint64_t{4} << 20);
      FILE* out = std::fopen(file.c_str(), "wb");
      if (!out) std::abort();
      std::fclose(out);
      fs::resize_file(file, length % (std::uint64_t{64} << 30), ec);
      break;
    }
    case 6: fs::create_symlink("nowhere", file, ec); break;
    case 7: fs::create_symlink(file.filename(), file, ec); break;  // a link to itself
    case 8: {                                                      // a link to a pipe of the folder's own
      const fs::path pipe = file.parent_path() / ("pipe" + file.extension().string());
      fs::remove(pipe, ec);
      ::mkfifo(pipe.c_str(), 0644);
      fs::create_symlink(pipe.filename(), file, ec);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t kind = data[0];
  ++data, --size;
  const char* const suffixes[] = {".elv", ".typ", ".SYP", ".oba", ".tra", ".ter", "_elv.bmp"};
  for (const char* suffix : suffixes) plant(folder() / (std::string("Demo") + suffix), kind, data, size);

  std::string error;
  (void)ElevationGrid::load(folder() / "Demo.elv", error);
  (void)GridFile::loadForUpdate(folder() / "Demo.typ", kTypeBytes, error);
  (void)CellGrid::load(folder() / "Demo.SYP", error);
  (void)readObjectFile(folder() / "Demo.oba", error);
  (void)readTrackRecords(folder() / "Demo.tra", error);
  (void)GreyscaleBitmap::load(folder() / "Demo_elv.bmp", error);
  if (auto bytes = readWholeFile(folder() / "Demo.ter", readLimit::kBinary, error)) {
    std::string problem;
    (void)TerragenFile::parse(std::move(*bytes), problem);
  }
  (void)readWholeFile(folder() / "Demo.oba", readLimit::kSettings, error);
  (void)preview::loadPreviewTerrain(folder());

  // Writing over whatever stands there: either it is replaced whole or it is left alone,
  // and no temporary file stays behind. Not through links to the machine's own devices:
  // the fuzzer may run as root, and a fault there would replace /dev/zero (a link to a
  // pipe of the folder's own tries the same path).
  const std::vector<std::uint8_t> grid(kTypeBytes, 7);
  if (kind % 9 != 2 && kind % 9 != 3) (void)replaceFile(folder() / "Demo.typ", grid);
  for (const auto& entry : fs::directory_iterator(folder()))
    if (entry.path().filename().string().starts_with(".quarnby-")) __builtin_trap();
  return 0;
}
