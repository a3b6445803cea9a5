#pragma once
#include <filesystem>

// The program's temporary files and the signals that could leave them behind; the
// system's twin of this file lives in platform/<system>/interrupts.cpp.
namespace quarnby::platform {

// Temporary files to remove should the program be stopped (SIGINT, SIGTERM, SIGHUP)
// before it renames or removes them itself. Up to 64 at once are held.
void holdTemp(const std::filesystem::path& temp);
void releaseTemp(const std::filesystem::path& temp);

// For both programs: on SIGINT, SIGTERM or SIGHUP every held temporary file is
// removed and the program ends as the signal would have ended it; a file-size limit
// makes writes fail with "File too large" instead of killing the program.
void removeTempsOnInterrupt();

// While alive, the stop signals wait, so that renaming several files into place is not
// cut in the middle; one that came meanwhile acts when the last holder ends.
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;
};

}  // namespace quarnby::platform
