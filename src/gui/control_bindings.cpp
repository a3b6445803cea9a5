#include "gui/control_bindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>

#include "gui/number_mark.h"
#include "gui/qt_text.h"

namespace quarnby {

namespace {

int switchValueOf(Qt::CheckState state) {
  switch (state) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    case Qt::Unchecked: break;
  }
  return 0;
}

Qt::CheckState checkStateOf(int value) {
  return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

}  // namespace

int choicePosition(const QString& text) {
  for (int i = 0; i < 7; ++i)
    if (text.compare(QLatin1String(kTerrainTypeNames[i]), Qt::CaseInsensitive) == 0) return i;
  return -1;
}

ControlBindings::ControlBindings(ParameterSet& params, QWidget* form) : QObject(form), params_(params) {
  for (const std::string& name : params_.names())
    if (QWidget* w = form->findChild<QWidget*>(QString::fromStdString(name))) bind(name, w);
}

QWidget* ControlBindings::widget(const std::string& name) const {
  const auto it = widgets_.find(name);
  return it == widgets_.end() ? nullptr : it->second;
}

void ControlBindings::bind(const std::string& name, QWidget* w) {
  widgets_[name] = w;
  switch (params_.kind(name)) {
    case ControlKind::Text:
      if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        new NumberMark(edit);
        connect(edit, &QLineEdit::textEdited, this, [this, name, edit](const QString& text) {
          if (showing_) return;
          params_.setText(name, fromQt(text));
          // A character outside the 8-bit set is held as '?': show what is held.
          const QString held = toQt(params_.text(name));
          if (held != text) {
            const int cursor = edit->cursorPosition();
            edit->setText(held);
            edit->setCursorPosition(cursor);
          }
        });
      }
      break;
    case ControlKind::Display: break;
    case ControlKind::TypeChoice:
      if (auto* box = qobject_cast<QComboBox*>(w)) {
        box->clear();
        for (const char* type : kTerrainTypeNames) box->addItem(QLatin1String(type));
        connect(box, &QComboBox::editTextChanged, this, [this, name](const QString& text) {
          if (!showing_) params_.setChoice(name, choicePosition(text));
        });
        if (box->lineEdit()) box->lineEdit()->installEventFilter(this);
        // Leaving the box shows a typed entry name as the list spells it.
        if (box->lineEdit())
          connect(box->lineEdit(), &QLineEdit::editingFinished, this, [this, box] {
            const int position = choicePosition(box->currentText());
            if (position >= 0 && box->currentText() != box->itemText(position)) {
              showing_ = true;
              box->setCurrentIndex(position);
              box->setEditText(box->itemText(position));
              showing_ = false;
            }
          });
      }
      break;
    case ControlKind::Switch:
      if (auto* check = qobject_cast<QCheckBox*>(w)) {
        connect(check, &QCheckBox::stateChanged, this, [this, name, check](int state) {
          // Grey is a value the program may set; a click never leads back to it.
          if (state != Qt::PartiallyChecked) check->setTristate(false);
          if (!showing_) params_.setSwitch(name, switchValueOf(static_cast<Qt::CheckState>(state)));
        });
      }
      break;
    case ControlKind::Option:
      if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        connect(radio, &QRadioButton::toggled, this, [this, name](bool checked) {
          if (!showing_) params_.setOption(name, checked);
        });
      }
      break;
  }
}

bool ControlBindings::eventFilter(QObject* watched, QEvent* event) {
  // The list opens on the release, not the press: opened on the press, it lies over the
  // box (the current entry under the pointer) and the release would pick that entry and
  // close it again, a guard Qt keeps only for the box's own arrow.
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick)
    if (auto* box = qobject_cast<QComboBox*>(watched->parent());
        box && box->isEnabled() && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      box->setFocus(Qt::MouseFocusReason);
      const auto* edit = static_cast<QWidget*>(watched);
      if (type == QEvent::MouseButtonRelease &&
          edit->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
        box->showPopup();
      return true;
    }
  return QObject::eventFilter(watched, event);
}

void ControlBindings::showAll() {
  for (const auto& [name, w] : widgets_) show(name);
}

void ControlBindings::show(const std::string& name) {
  QWidget* w = widget(name);
  if (!w) return;
  const bool wasShowing = showing_;
  showing_ = true;
  switch (params_.kind(name)) {
    case ControlKind::Text:
    case ControlKind::Display: {
      const QString text =
          params_.kind(name) == ControlKind::Display ? shownText(params_.text(name)) : toQt(params_.text(name));
      if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text) edit->setText(text);
      } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != text) label->setText(text);
      }
      break;
    }
    case ControlKind::TypeChoice:
      if (auto* box = qobject_cast<QComboBox*>(w)) {
        const int position = params_.choice(name);
        if (choicePosition(box->currentText()) != position) {
          box->setCurrentIndex(position);
          box->setEditText(position < 0 ? QString() : box->itemText(position));
        }
      }
      break;
    case ControlKind::Switch:
      if (auto* check = qobject_cast<QCheckBox*>(w)) {
        const Qt::CheckState state = checkStateOf(params_.switchValue(name));
        if (check->checkState() != state) check->setCheckState(state);
      }
      break;
    case ControlKind::Option:
      if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        const bool chosen = params_.option(name);
        if (radio->isChecked() != chosen) {
          // An exclusive button cannot be cleared directly; the group may hold no choice.
          const bool exclusive = radio->autoExclusive();
          if (!chosen) radio->setAutoExclusive(false);
          radio->setChecked(chosen);
          radio->setAutoExclusive(exclusive);
        }
      }
      break;
  }
  showing_ = wasShowing;
}

}  // namespace quarnby
