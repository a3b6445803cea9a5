#pragma once
#include <QWidget>

namespace quarnby {

// The colour key beside the map: the base layer's colours and the overlays' symbols.
class PreviewLegend : public QWidget {
  Q_OBJECT
 public:
  enum class Base { Relief, Types, SubTypes };
  explicit PreviewLegend(QWidget* parent = nullptr);
  void setContent(Base base, bool tracks, bool sites);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Base base_ = Base::Relief;
  bool tracks_ = true;
  bool sites_ = true;
};

}  // namespace quarnby
