#include "gui/gui_host.h"

#include <QApplication>
#include <QGridLayout>
#include <QProgressBar>
#include <QWidget>

#include <algorithm>

#include "gui/qt_text.h"

namespace quarnby {

namespace {

QMessageBox::Icon boxIcon(Icon icon) {
  switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

QString titleOf(const std::string& title) { return title.empty() ? QString(kProgramName) : toQt(title); }

}  // namespace

QString displayText(std::string_view text) {
  QString shown = shownText(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

void fitTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  // The title bar's font is the window system's; the box's own, a little wider, stands in
  // for it, and room is left for the frame's icon and buttons.
  QFont bold = box.font();
  bold.setBold(true);
  const int wanted = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 140;
  grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}

GuiHost::GuiHost(QWidget* window, std::array<QProgressBar*, 3> bars) : window_(window), bars_(bars) {}

void GuiHost::showMessage(const std::string& text, Icon icon, const std::string& title) {
  if (statusSink_ && icon == Icon::Information && !holding_) {
    statusSink_(displayText(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return;
  }
  present(Box{icon, titleOf(title), displayText(text), false});
}

bool GuiHost::askYesNo(const std::string& text, const std::string& title, Icon icon) {
  return present(Box{icon, titleOf(title), displayText(text), true});
}

void GuiHost::releaseMessages() {
  holding_ = false;
  std::vector<Box> held;
  held.swap(held_);
  for (const Box& box : held) present(box);
}

bool GuiHost::present(const Box& box) {
  if (holding_) {
    held_.push_back(box);
    return false;
  }
  if (hook_) return hook_(box);
  QMessageBox message(boxIcon(box.icon), box.title, box.text,
                      box.question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, window_);
  fitTitle(message);
  if (box.question) {
    message.setDefaultButton(QMessageBox::Yes);
    message.setEscapeButton(QMessageBox::No);
  }
  // An operation shows the busy cursor; the box itself is answered with the arrow.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = message.exec();
  if (busy) QApplication::restoreOverrideCursor();
  return answer == QMessageBox::Yes;
}

void GuiHost::setProgress(ProgressBar bar, int value) {
  QProgressBar* shown = bars_[static_cast<std::size_t>(bar)];
  if (!shown) return;
  value = std::clamp(value, shown->minimum(), shown->maximum());
  if (shown->value() == value) return;
  shown->setValue(value);
  // Operations run on the window's thread, so the bar is painted now or not at all.
  shown->repaint();
}

void GuiHost::setFocus(const std::string& control) {
  if (QWidget* target = window_->findChild<QWidget*>(QString::fromStdString(control)))
    target->setFocus(Qt::OtherFocusReason);
}

}  // namespace quarnby
