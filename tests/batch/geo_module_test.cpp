// The geographic module is loaded only by the commands that need it: the programs never
// link GDAL, and without the module its command says so while everything else runs.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "support/temp_folder.h"

namespace quarnby {
namespace {

#ifndef _WIN32

struct ProgramRun {
  int status;
  std::string output;  // standard output and error together
};

ProgramRun runProgram(const std::string& command) {
  ProgramRun r{-1, {}};
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) r.output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(GeoModule, TheProgramDoesNotLinkGdal) {
  const auto r = runProgram(std::string("readelf -d ") + QUARNBY_BATCH_PROGRAM);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("NEEDED"), std::string::npos);
  EXPECT_EQ(r.output.find("libgdal"), std::string::npos) << r.output;
}

TEST(GeoModule, WithoutItImportDemSaysSoAndTheRestRuns) {
  testing::TempFolder tmp;
  const auto folder = tmp.terrain("Alps");
  const auto notALibrary = tmp.path() / "quarnby-geo.so";
  std::ofstream(notALibrary) << "not a library";
  struct Case {
    std::string module, command;
    int status;
    std::string said;
  };
  const Case cases[] = {
      {(tmp.path() / "missing.so").string(), "import-dem --source a.tif", 1,
       "Import DEM needs the geographic module (GDAL), which is not available:\n"},
      {notALibrary.string(), "import-dem --source a.tif", 1, "quarnby-geo.so"},
      {(tmp.path() / "missing.so").string(), "show-params", 0, "MaxAlt="},
      // A bad option is still a usage error, found without the module.
      {(tmp.path() / "missing.so").string(), "import-dem --centre north", 2, "--centre needs LAT,LON"},
  };
  for (const Case& c : cases) {
    const auto r = runProgram("QUARNBY_GEO_MODULE='" + c.module + "' " + QUARNBY_BATCH_PROGRAM + " --config '" +
                              (tmp.path() / "quarnby.cfg").string() + "' '" + folder.string() + "' " + c.command);
    EXPECT_EQ(r.status, c.status) << c.command << " with " << c.module << ":\n" << r.output;
    EXPECT_NE(r.output.find(c.said), std::string::npos) << c.command << " with " << c.module << ":\n" << r.output;
  }
}

#endif

}  // namespace
}  // namespace quarnby
