#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "support/recording_host.h"

namespace quarnby::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A terrain folder named `base` inside this folder, created.
  std::filesystem::path terrain(const std::string& base = "Europe") const;

 private:
  std::filesystem::path path_;
};

std::vector<std::uint8_t> readBytes(const std::filesystem::path& file);
std::string readText(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
void writeText(const std::filesystem::path& file, std::string_view text);

// Everything an operation needs, with a recording host and a fresh parameter set at its
// laid-out values, working on `folder`.
struct Harness {
  explicit Harness(std::filesystem::path folder) : cx{params, std::move(folder), host, random} {}
  ParameterSet params;
  RecordingHost host;
  RandomSource random;
  Context cx;
};

}  // namespace quarnby::testing
