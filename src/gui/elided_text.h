#pragma once
#include <QLabel>
#include <QLineEdit>

namespace quarnby {

// Captions that hold file names: the text is shortened in the middle to the room the
// widget has, never the other way round, so a long folder name cannot widen the window.
// When shortened, the whole text is the tooltip; otherwise the laid-out tooltip stays.

class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // What the label shows now: its text, or the text shortened with an ellipsis.
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

// The path field: while it has the focus it is an ordinary line edit; otherwise it shows
// the path shortened in the middle, so both the drive and the folder's own name show.
class PathField : public QLineEdit {
  Q_OBJECT
 public:
  explicit PathField(QWidget* parent = nullptr);
  QString shownText() const;
  // Where the shortened text is drawn: inside the frame, clear of the field's own buttons.
  QRect textRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace quarnby
