#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "core/version.h"

namespace quarnby {

enum class Icon { None, Information, Exclamation, Critical };
enum class ProgressBar { Bar1, Bar2, Bar3 };

// What an operation needs of whoever presents it: the window shows message boxes and
// moves its progress bars, the batch program prints, tests record.
class Host {
 public:
  virtual ~Host() = default;

  // A modal message. An empty title means the program's name. Texts carry their line
  // breaks exactly as the operation builds them (CR LF or CR alone).
  virtual void showMessage(const std::string& text, Icon icon, const std::string& title = {}) = 0;

  // A modal Yes/No question; true for Yes.
  virtual bool askYesNo(const std::string& text, const std::string& title, Icon icon) = 0;

  // A progress bar's value, within its range 0..100.
  virtual void setProgress(ProgressBar bar, int value) = 0;

  // Moves the input focus to the named control.
  virtual void setFocus(const std::string& control) = 0;
};

// The shapes of the messages that several operations share.
inline const std::string kCrLf = "\r\n";
inline const std::string kCr = "\r";

// The message about a file that cannot be opened or written: the line naming the kind of
// file, the file's full name and the system's description, each on its own line (CR LF,
// or CR alone where the operation uses it).
inline std::string fileMessage(std::string_view kindLine, const std::filesystem::path& file, const std::string& error,
                               const std::string& lineBreak = kCrLf) {
  return std::string(kindLine) + lineBreak + file.string() + lineBreak + error;
}

}  // namespace quarnby
