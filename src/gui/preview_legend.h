#pragma once
#include <QString>
#include <QWidget>

namespace quarnby {

// A note that names files, able to wrap after a file name's separators ('_', '.', '/', '-').
QString breakableNote(QString note);

// The colour key beside the map, in two columns: the base layer's colours, and the
// overlays' symbols (or what is missing of them).
class PreviewLegend : public QWidget {
  Q_OBJECT
 public:
  enum class Base { Relief, Types, SubTypes, Cover };
  // An overlay: whether it is switched on, and the note on its file when that is missing.
  struct Layer {
    bool shown = true;
    QString missing;
  };
  explicit PreviewLegend(QWidget* parent = nullptr);
  // `baseMissing`: the note on the base layer's file when that is missing (the land cover).
  void setContent(Base base, const Layer& tracks, const Layer& sites, const QString& baseMissing = {});
  // The reference layer's file name under the overlays; "" for none.
  void setReference(const QString& name);
  // The same for every content, so the window does not change size with the layers.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int rowHeight() const;
  int baseColumnWidth() const;
  int layerColumnWidth() const;

  Base base_ = Base::Relief;
  QString baseMissing_;
  Layer tracks_;
  Layer sites_;
  QString reference_;
};

}  // namespace quarnby
