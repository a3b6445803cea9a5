#pragma once
#include <QObject>

#include <string>
#include <unordered_map>

#include "core/parameter_set.h"

class QWidget;

namespace quarnby {

// Keeps the window's controls and the parameter set in step, both ways: what the user
// types or picks is written into the parameter set at once, and what an operation
// writes shows in its widget at once. Each control is the widget whose objectName is
// the control's name.
class ControlBindings : public QObject {
  Q_OBJECT
 public:
  ControlBindings(ParameterSet& params, QWidget* form);

  // The widget of a control; nullptr for a name the window does not show.
  QWidget* widget(const std::string& name) const;
  // Shows the parameter's value in its widget, unless the widget shows it already.
  void show(const std::string& name);
  void showAll();

 protected:
  // A click in a type choice's text opens its list, as in a drop-down list.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void bind(const std::string& name, QWidget* widget);

  ParameterSet& params_;
  std::unordered_map<std::string, QWidget*> widgets_;
  bool showing_ = false;  // widget signals caused by show() are not user edits
};

// The type choice's position for a text: the entry it names (whatever its letter case),
// or -1 when it names none.
int choicePosition(const QString& text);

}  // namespace quarnby
