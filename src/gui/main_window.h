#pragma once
#include <QMainWindow>

namespace quarnby {

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace quarnby
