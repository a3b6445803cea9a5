#pragma once
#include <QWidget>

namespace quarnby {

// The rule that joins the top of the left band column to the bottom of the right one,
// so the eye follows the bands upward from one column into the next.
class BandBracket : public QWidget {
  Q_OBJECT
 public:
  explicit BandBracket(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace quarnby
