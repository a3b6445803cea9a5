#include "app/history_store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/processes.h"
#include "platform/replace_file.h"
#include "terrain/file_io.h"
#include "terrain/terrain_folder.h"

namespace quarnby::history {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "quarnby history step 2";
constexpr std::size_t kIdDigits = 10;
constexpr std::string_view kStateNames[] = {"done", "undone", "undoing", "redoing"};

std::string stateText(const FileState& s) {
  return s.exists ? std::to_string(s.size) + ' ' + hex(s.hash) : std::string("none");
}

std::optional<FileState> parseState(const std::string& text) {
  if (text == "none") return FileState{};
  std::istringstream in(text);
  FileState s{true, 0, 0};
  std::string hash, more;
  if (!(in >> s.size >> hash) || hash.size() != 16 || (in >> more)) return std::nullopt;
  if (hash.find_first_not_of("0123456789abcdef") != std::string::npos) return std::nullopt;
  s.hash = std::stoull(hash, nullptr, 16);
  return s;
}

// A control's value on one line: '%', CR and LF written as %25, %0D, %0A.
std::string escaped(const std::string& value) {
  std::string out;
  for (const char c : value) {
    if (c == '%') out += "%25";
    else if (c == '\r') out += "%0D";
    else if (c == '\n') out += "%0A";
    else out += c;
  }
  return out;
}

std::optional<std::string> unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const std::string code = text.substr(i + 1, 2);
    if (code == "25") out += '%';
    else if (code == "0D") out += '\r';
    else if (code == "0A") out += '\n';
    else return std::nullopt;
    i += 2;
  }
  return out;
}

// A name read back from a step must stay a plain file name of the terrain folder, or of
// its GIS subfolder ("gis/Demo_theatre.txt").
bool plainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && fs::path(name).filename() == fs::path(name) &&
         name.find_first_of("/\\") == std::string::npos;
}
bool stepFileName(const std::string& name) {
  const std::string gis = std::string(kGisFolder) + "/";
  return plainFileName(name.starts_with(gis) ? name.substr(gis.size()) : name);
}

// Reads "key value" lines in the order the record has them.
struct Lines {
  std::vector<std::string> lines;
  std::size_t at = 0;
  std::optional<std::string> take(std::string_view key) {
    if (at >= lines.size()) return std::nullopt;
    const std::string& line = lines[at];
    if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ' ') return std::nullopt;
    ++at;
    return line.substr(key.size() + 1);
  }
  bool next(std::string_view key) const { return at < lines.size() && lines[at].starts_with(std::string(key) + ' '); }
};

}  // namespace

std::uint64_t hashOf(std::span<const std::uint8_t> bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (const std::uint8_t b : bytes) {
    h ^= b;
    h *= 1099511628211ull;
  }
  return h;
}

std::string hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

fs::path folderOf(const fs::path& root, const fs::path& terrainFolder) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(terrainFolder, ec);
  if (ec) canonical = fs::absolute(terrainFolder, ec);
  const std::string key = canonical.generic_string();
  return root / hex(hashOf({reinterpret_cast<const std::uint8_t*>(key.data()), key.size()}));
}

std::string keptName(const std::string& fileName) {
  return hex(hashOf({reinterpret_cast<const std::uint8_t*>(fileName.data()), fileName.size()}));
}

std::string recordText(const Step& step) {
  std::string text = std::string(kHeader) + "\ntitle " + step.title + "\ntime " + std::to_string(step.time) +
                     "\nstate " + std::string(kStateNames[static_cast<int>(step.state)]) + '\n';
  for (const StepFile& f : step.files)
    text += "file " + f.name + "\nbefore " + stateText(f.before) + "\nafter " + stateText(f.after) + '\n';
  for (const StepControl& c : step.controls)
    text += "control " + c.name + "\nbefore " + escaped(c.before) + "\nafter " + escaped(c.after) + '\n';
  return text + "end\n";
}

std::optional<Step> parseRecord(const std::string& id, const std::string& text) {
  Lines in;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) in.lines.push_back(line);
  if (in.lines.empty() || in.lines[0] != kHeader || !text.ends_with('\n')) return std::nullopt;
  in.at = 1;
  Step step;
  step.id = id;
  const auto title = in.take("title");
  const auto time = in.take("time");
  const auto state = in.take("state");
  if (!title || !time || !state || time->empty() || time->find_first_not_of("-0123456789") != std::string::npos)
    return std::nullopt;
  step.title = *title;
  step.time = std::atoll(time->c_str());
  const auto* found = std::find(std::begin(kStateNames), std::end(kStateNames), *state);
  if (found == std::end(kStateNames)) return std::nullopt;
  step.state = static_cast<StepState>(found - std::begin(kStateNames));
  while (in.next("file")) {
    const auto name = in.take("file");
    const auto before = in.take("before");
    const auto after = in.take("after");
    if (!stepFileName(*name) || !before || !after) return std::nullopt;
    const auto b = parseState(*before), a = parseState(*after);
    if (!b || !a) return std::nullopt;
    step.files.push_back({*name, *b, *a});
  }
  while (in.next("control")) {
    const auto name = in.take("control");
    const auto before = in.take("before");
    const auto after = in.take("after");
    if (!before || !after) return std::nullopt;
    const auto b = unescaped(*before), a = unescaped(*after);
    if (!b || !a) return std::nullopt;
    step.controls.push_back({*name, *b, *a});
  }
  if (step.files.empty() || in.at + 1 != in.lines.size() || in.lines[in.at] != "end") return std::nullopt;
  return step;
}

Step readStep(const fs::path& stepFolder) {
  std::string error;
  const auto bytes = readWholeFile(stepFolder / "step.txt", readLimit::kSettings, error);
  const std::string id = stepFolder.filename().string();
  if (bytes)
    if (auto step = parseRecord(id, std::string(bytes->begin(), bytes->end()))) return std::move(*step);
  Step damaged;
  damaged.id = id;
  damaged.damaged = true;
  return damaged;
}

std::optional<std::string> writeStep(const Step& step, const fs::path& stepFolder) {
  if (auto failed = replaceFile(stepFolder / "step.txt", recordText(step)))
    return "cannot write " + (stepFolder / "step.txt").string() + " (" + *failed + ")";
  return std::nullopt;
}

std::optional<std::string> keepFile(const fs::path& source, const fs::path& kept) {
  const fs::path file = platform::fileBehind(source);
  fs::path part = kept;
  part += ".part";
  std::error_code ec;
  fs::remove(part, ec);
  fs::create_hard_link(file, part, ec);
  if (ec) {
    ec.clear();
    fs::copy_file(file, part, fs::copy_options::overwrite_existing, ec);
  }
  if (!ec) fs::rename(part, kept, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(part, ignored);
    return "cannot keep " + source.filename().string() + " in " + kept.parent_path().string() + " (" + ec.message() +
           ")";
  }
  return std::nullopt;
}

void dropFolder(const fs::path& stepFolder) {
  std::error_code ec;
  fs::path trash = stepFolder.parent_path() / (std::string(kTrashPrefix) + stepFolder.filename().string());
  fs::remove_all(trash, ec);
  fs::rename(stepFolder, trash, ec);
  fs::remove_all(ec ? stepFolder : trash, ec);
}

bool isStepId(const std::string& name) {
  return name.size() == kIdDigits && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::uintmax_t bytesIn(const fs::path& folder) {
  std::uintmax_t total = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file(ec)) total += it->file_size(ec);
  return total;
}

std::string folderError(const std::string& what, const fs::path& folder, const std::error_code& ec) {
  return what + ' ' + folder.string() + " (" + ec.message() + ")";
}

std::string pendingNameOfThisRun() {
  return std::string(kPendingPrefix) + std::to_string(platform::thisProcess()) + '-' +
         std::to_string(platform::thisProcessStart());
}

bool pendingOfLiveRun(const std::string& folderName) {
  const char* digits = folderName.c_str() + kPendingPrefix.size();
  char* end = nullptr;
  const long long process = std::strtoll(digits, &end, 10);
  if (end == digits || *end != '-') return false;
  const long long start = std::strtoll(end + 1, nullptr, 10);
  return platform::processAlive(process, start);
}

const Way& way(Direction direction) {
  static const Way ways[] = {
      {StepState::Done, StepState::Undoing, StepState::Undone, "before", "after", &StepFile::before, &StepFile::after,
       &StepControl::before},
      {StepState::Undone, StepState::Redoing, StepState::Done, "after", "before", &StepFile::after, &StepFile::before,
       &StepControl::after},
  };
  return ways[static_cast<int>(direction)];
}

Direction opposite(Direction direction) { return direction == Direction::kUndo ? Direction::kRedo : Direction::kUndo; }

}  // namespace quarnby::history
