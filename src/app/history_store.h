#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "app/history.h"

// The history's store: the step record's format (step.txt), the kept files and the
// folders they live in. The stack (history.cpp) and recovery (history_recovery.cpp) use it.
namespace quarnby::history {

// FNV-1a, 64 bits: enough to tell whether a file changed, not a guard against tampering.
std::uint64_t hashOf(std::span<const std::uint8_t> bytes);
std::string hex(std::uint64_t value);

// The history folder of `terrainFolder` under `root`.
std::filesystem::path folderOf(const std::filesystem::path& root, const std::filesystem::path& terrainFolder);

// The name a terrain file is kept under in before/ and after/: short whatever the length
// of the file's own.
std::string keptName(const std::string& fileName);

// The record of a step, ending in a line "end".
std::string recordText(const Step& step);
// The step a record describes, or nothing when any part of it is missing, out of order,
// or names anything but a plain file of the terrain folder.
std::optional<Step> parseRecord(const std::string& id, const std::string& text);

// The step kept in `stepFolder`; `damaged` set when its record is missing or cannot be read whole.
Step readStep(const std::filesystem::path& stepFolder);
std::optional<std::string> writeStep(const Step& step, const std::filesystem::path& stepFolder);

// Keeps `source` (the file a link names, when it is one) as `kept`: a hard link where the
// file system allows it, else a copy. The kept file appears whole or not at all.
std::optional<std::string> keepFile(const std::filesystem::path& source, const std::filesystem::path& kept);

// Removes a step's folder: renamed out of the way first, so that a step is either whole
// or gone even when the removal is cut short.
void dropFolder(const std::filesystem::path& stepFolder);
inline constexpr std::string_view kTrashPrefix = "trash-";

bool isStepId(const std::string& name);
std::uintmax_t bytesIn(const std::filesystem::path& folder);
std::string folderError(const std::string& what, const std::filesystem::path& folder, const std::error_code& ec);

// The files kept before a run wait in "pending-<process>-<start>", which tells whether
// the run that keeps them is still going.
inline constexpr std::string_view kPendingPrefix = "pending-";
std::string pendingNameOfThisRun();
bool pendingOfLiveRun(const std::string& folderName);

// What a restore in one direction puts back and what it leaves.
struct Way {
  StepState from, during, to;
  const char* arriving;  // the kept files it puts back
  const char* leaving;   // where it keeps the files as they are now
  FileState StepFile::*arrive;
  FileState StepFile::*leave;
  std::string StepControl::*arriveValue;
};
const Way& way(Direction direction);
Direction opposite(Direction direction);

}  // namespace quarnby::history
