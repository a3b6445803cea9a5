#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/host.h"
#include "core/parameter_set.h"
#include "core/random_source.h"

namespace quarnby {

// What a command is asked beyond the window's controls: its own options, as the batch
// program's "--source FILE" or a dialog's fields give them (name with its dashes, value),
// in the order given, and who watches its progress (nothing: its progress bar).
struct CommandRequest {
  std::vector<std::pair<std::string, std::string>> options;
  std::function<bool(int percent)> progress;

  // Every value of the option `name`, in order.
  std::vector<std::string> values(std::string_view name) const {
    std::vector<std::string> found;
    for (const auto& [n, v] : options)
      if (n == name) found.push_back(v);
    return found;
  }
  // The last value given for `name`.
  std::optional<std::string> value(std::string_view name) const {
    auto found = values(name);
    if (found.empty()) return std::nullopt;
    return found.back();
  }
};

// Everything an operation works over: the window's controls, the terrain folder the
// user picked, whoever shows its messages, and the program's random stream.
struct Context {
  ParameterSet& params;
  std::filesystem::path folder;
  Host& host;
  RandomSource& random;
  std::filesystem::path settingsFile = "quarnby.cfg";
  // Where the undo history is kept (under quarnby/history); empty: the user's state folder.
  std::filesystem::path stateFolder = {};
  // The command's own options; nothing for a command that has none.
  const CommandRequest* request = nullptr;

  // The same context with another host (one that holds or adds to the messages).
  Context withHost(Host& other) const { return {params, folder, other, random, settingsFile, stateFolder, request}; }
};

// How an operation ended: it ran to its closing message, or it stopped early
// (a file that could not be opened, no terrain folder, a refused parameter).
enum class Outcome { Completed, EndedEarly };

}  // namespace quarnby
