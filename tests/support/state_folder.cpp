// Every test program keeps the undo history in a fresh folder of its own, never in the
// user's state folder: XDG_STATE_HOME (LOCALAPPDATA on Windows) points there before the
// first test runs.
#include <cstdlib>

#include "support/temp_folder.h"

namespace quarnby::testing {
namespace {

struct TestStateFolder {
  TempFolder folder;
#ifdef _WIN32
  TestStateFolder() { ::_wputenv_s(L"LOCALAPPDATA", folder.path().c_str()); }
#else
  TestStateFolder() { ::setenv("XDG_STATE_HOME", folder.path().c_str(), 1); }
#endif
};
const TestStateFolder testStateFolder;

}  // namespace
}  // namespace quarnby::testing
