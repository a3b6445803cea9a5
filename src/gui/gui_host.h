#pragma once
#include <QMessageBox>
#include <QString>

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"

class QProgressBar;
class QWidget;

namespace quarnby {

// A message text as the window shows it: CR LF and a lone CR become line breaks, and
// a file name in it shows as the file system spells it.
QString displayText(std::string_view text);

// Widens a message box whose text is shorter than its title ("Done" under "Export
// Greyscale Bitmap"), so that the window manager shows the whole title.
void fitTitle(QMessageBox& box);

// The window's Host: modal message boxes over the window, its three progress bars and
// the input focus.
class GuiHost : public Host {
 public:
  // One message box as it would be shown.
  struct Box {
    Icon icon;
    QString title;  // the program's name when the operation gave none
    QString text;   // with its line breaks for display
    bool question;  // Yes/No rather than OK
  };
  // Stands in for the modal boxes (tests record them); returns the answer to a question.
  using BoxHook = std::function<bool(const Box&)>;

  GuiHost(QWidget* window, std::array<QProgressBar*, 3> bars);

  void setBoxHook(BoxHook hook) { hook_ = std::move(hook); }

  // While set, a message that only informs (no question, no warning) goes to `sink` as
  // one line instead of a box: the window's status bar.
  using StatusSink = std::function<void(const QString&)>;
  void informOnStatusBar(StatusSink sink) { statusSink_ = std::move(sink); }

  // While held, messages wait (before the window is set up); releasing shows them.
  void holdMessages() { holding_ = true; }
  void releaseMessages();

  void showMessage(const std::string& text, Icon icon, const std::string& title = {}) override;
  bool askYesNo(const std::string& text, const std::string& title, Icon icon) override;
  void setProgress(ProgressBar bar, int value) override;
  void setFocus(const std::string& control) override;

 private:
  bool present(const Box& box);

  QWidget* window_;
  std::array<QProgressBar*, 3> bars_;
  BoxHook hook_;
  StatusSink statusSink_;
  bool holding_ = false;
  std::vector<Box> held_;
};

}  // namespace quarnby
