#pragma once
#include <QPixmap>
#include <QPointF>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

#include "geo/theatre_map.h"
#include "maps/preview_terrain.h"

namespace quarnby {

struct ReferenceShapes;

// The map view of the preview: one base picture (one pixel per sample, north up) with
// the tracks and the sites drawn over it. The wheel zooms around the cursor, a drag
// pans, a double click fits the whole grid in view.
class PreviewCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit PreviewCanvas(QWidget* parent = nullptr);

  // The base picture, or an empty one and the note that says why.
  void setPicture(const QImage& picture, const QString& emptyNote);
  bool hasPicture() const { return !picture_.isNull(); }
  const QString& emptyNote() const { return emptyNote_; }
  // What is drawn over it; nothing for a layer switched off or empty.
  void setOverlays(const std::vector<preview::TrackLine>* tracks, const std::vector<preview::Site>* sites);
  // A reference layer over everything else, and a marker on a spot; nothing for none.
  void setReference(const ReferenceShapes* reference);
  void setMarker(std::optional<geo::WorldPoint> spot);
  const std::optional<geo::WorldPoint>& marker() const { return marker_; }

  // View pixels per sample.
  double scale() const { return scale_; }
  void fit();
  // Zooms by `factor` keeping the point under `viewPoint` where it is.
  void zoomAt(QPointF viewPoint, double factor);
  // Puts sample (row, column) in the middle of the view at `scale` pixels per sample.
  void centreOn(int row, int column, double scale);
  // Moves the map by `shift` view pixels; the view no longer follows the widget's size.
  void panBy(QPointF shift);

  // Where the centre of sample (row, column) is in the view.
  QPointF viewPointOf(int row, int column) const;
  // The sample under a point of the view; nothing off the grid.
  std::optional<std::pair<int, int>> sampleAt(QPointF viewPoint) const;

 signals:
  // The cursor moved over sample (row, column); `site` is the site it points at.
  void hovered(int row, int column, const preview::Site* site);
  void left();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Map units: x = column, y = 1024 - row, so that y grows southward like the view's.
  QPointF mapOf(QPointF viewPoint) const { return (viewPoint - offset_) / scale_; }
  QPointF viewOf(QPointF mapPoint) const { return offset_ + mapPoint * scale_; }
  void setScale(double scale, QPointF keepViewPoint);
  void paintTracks(QPainter& painter) const;
  void paintSites(QPainter& painter) const;
  void paintScaleBar(QPainter& painter) const;
  void paintMarker(QPainter& painter) const;
  void reportHover(QPointF viewPoint);

  QPixmap picture_;
  QString emptyNote_;
  const std::vector<preview::TrackLine>* tracks_ = nullptr;
  const std::vector<preview::Site>* sites_ = nullptr;
  const ReferenceShapes* reference_ = nullptr;
  std::optional<geo::WorldPoint> marker_;
  double scale_ = 0.5;
  QPointF offset_;
  bool fitted_ = true;  // the view follows the widget's size until the user zooms or pans
  std::optional<QPointF> dragFrom_;
  std::optional<std::pair<int, int>> hoveredSample_;
};

}  // namespace quarnby
