#pragma once
#include <filesystem>

#include "core/host.h"
#include "core/parameter_set.h"
#include "core/random_source.h"

namespace quarnby {

// Everything an operation works over: the window's controls, the terrain folder the
// user picked, whoever shows its messages, and the program's random stream.
// (runRecorded in app/undo.cpp copies a Context member by member: add new members there.)
struct Context {
  ParameterSet& params;
  std::filesystem::path folder;
  Host& host;
  RandomSource& random;
  std::filesystem::path settingsFile = "quarnby.cfg";
  // Where the undo history is kept (under quarnby/history); empty: the user's state folder.
  std::filesystem::path stateFolder = {};
};

// How an operation ended: it ran to its closing message, or it stopped early
// (a file that could not be opened, no terrain folder, a refused parameter).
enum class Outcome { Completed, EndedEarly };

}  // namespace quarnby
