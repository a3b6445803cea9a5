#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "gui/control_bindings.h"
#include "gui/gui_host.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace quarnby::testing {

// A window over a fresh terrain folder <temp>/Terrains/<terrain>, started from a fresh
// working folder <temp>/work (so without quarnby.cfg unless a test writes one). Message
// boxes are recorded instead of shown; questions take `answers` in turn (No when none).
class WindowFixture {
 public:
  explicit WindowFixture(const QString& terrain = QStringLiteral("Europe")) : previous_(QDir::currentPath()) {
    // Recent folders and remembered places go to a test's own settings, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    QDir(root_.path()).mkpath(QStringLiteral("work"));
    QDir(root_.path()).mkpath(QStringLiteral("Terrains/") + terrain);
    work = root_.filePath(QStringLiteral("work"));
    terrainFolder = root_.filePath(QStringLiteral("Terrains/") + terrain);
    QDir::setCurrent(work);
    // The undo history goes to the test's own folder, never to the user's.
    qputenv("XDG_STATE_HOME", root_.filePath(QStringLiteral("state")).toLocal8Bit());
    window = std::make_unique<MainWindow>(pathOf(terrainFolder));
    record(window->host());
    window->startUp();
  }
  ~WindowFixture() {
    window.reset();
    QDir::setCurrent(previous_);
  }

  void record(GuiHost& host) {
    host.setBoxHook([this](const GuiHost::Box& box) {
      boxes.push_back(box);
      if (onBox) onBox(box);
      if (answers.empty()) return false;
      const bool answer = answers.front();
      answers.pop_front();
      return answer;
    });
  }

  template <class W>
  W* find(const QString& name) const {
    return window->findChild<W*>(name);
  }

  QString path(const QString& relative) const { return root_.filePath(relative); }

  QTemporaryDir root_;
  QString work;
  QString terrainFolder;
  std::unique_ptr<MainWindow> window;
  std::vector<GuiHost::Box> boxes;
  std::deque<bool> answers;
  std::function<void(const GuiHost::Box&)> onBox;  // runs while a box is "shown"

 private:
  QString previous_;
};

// A control's value as its widget shows it, in the parameter set's text form
// (switches 0/1/2, options true/false, type choices their position).
inline std::string shownValue(QWidget* w) {
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return fromQt(edit->text());
  if (auto* label = qobject_cast<QLabel*>(w)) return fromQt(label->text());
  if (auto* box = qobject_cast<QComboBox*>(w)) return std::to_string(choicePosition(box->currentText()));
  if (auto* check = qobject_cast<QCheckBox*>(w))
    return check->checkState() == Qt::Checked ? "1" : check->checkState() == Qt::PartiallyChecked ? "2" : "0";
  if (auto* radio = qobject_cast<QRadioButton*>(w)) return radio->isChecked() ? "true" : "false";
  return "<no value>";
}

}  // namespace quarnby::testing
