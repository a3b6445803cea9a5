#pragma once
// What every benchmark shares: a host that shows nothing and a full-size terrain folder.
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/host.h"
#include "terrain/grids.h"

namespace quarnby::bench {

class SilentHost : public Host {
 public:
  void showMessage(const std::string&, Icon, const std::string&) override {}
  bool askYesNo(const std::string&, const std::string&, Icon) override { return true; }
  void setProgress(ProgressBar, int) override {}
  void setFocus(const std::string&) override {}
};

// A terrain folder "Bench" under the temporary folder with a full-size elevation grid of
// sea, shore and hills up to about 12,000 feet, and the type grid "Set Type" makes of it
// with the laid-out bands. Removed with everything in it when the value goes.
class BenchTerrain {
 public:
  BenchTerrain();
  ~BenchTerrain();
  BenchTerrain(const BenchTerrain&) = delete;
  BenchTerrain& operator=(const BenchTerrain&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path file(const std::string& suffix) const;
  const ElevationGrid& elevation() const { return elevation_; }

 private:
  std::filesystem::path root_;
  std::filesystem::path folder_;
  ElevationGrid elevation_;
};

}  // namespace quarnby::bench
