#pragma once
#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QWidget>

#include <array>
#include <filesystem>
#include <optional>
#include <vector>

#include "maps/preview_terrain.h"

class QButtonGroup;
class QCheckBox;
class QLabel;

namespace quarnby {

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

  // View pixels per sample.
  double scale() const { return scale_; }
  void fit();
  // Zooms by `factor` keeping the point under `viewPoint` where it is.
  void zoomAt(QPointF viewPoint, double factor);
  // Puts sample (row, column) in the middle of the view at `scale` pixels per sample.
  void centreOn(int row, int column, double scale);

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
  void reportHover(QPointF viewPoint);

  QPixmap picture_;
  QString emptyNote_;
  const std::vector<preview::TrackLine>* tracks_ = nullptr;
  const std::vector<preview::Site>* sites_ = nullptr;
  double scale_ = 0.5;
  QPointF offset_;
  bool fitted_ = true;  // the view follows the widget's size until the user zooms or pans
  std::optional<QPointF> dragFrom_;
  std::optional<std::pair<int, int>> hoveredSample_;
};

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

// The terrain preview: a window of its own beside the main window, showing the terrain
// folder as pictures. It reads the folder only when told to (after an operation has
// ended, or when the folder changed), and never while it is held.
class PreviewWindow : public QWidget {
  Q_OBJECT
 public:
  using Base = PreviewLegend::Base;

  explicit PreviewWindow(QWidget* parent = nullptr);

  // Shows the folder; reads it when it is another one than before.
  void setFolder(const std::filesystem::path& folder);
  // Reads the folder again, keeping the view (or later, when hidden or held).
  void refresh();
  // While an operation runs the folder is not read; release() reads it again.
  void hold();
  void release();

  // Opens or raises the window beside `mainWindow`.
  void showBeside(QWidget* mainWindow);

  void setBase(Base base);
  Base base() const { return base_; }
  void setTracksShown(bool on);
  void setSitesShown(bool on);
  void setShading(bool on);

  PreviewCanvas* canvas() const { return canvas_; }
  QString statusText() const;
  const preview::PreviewTerrain& terrain() const { return terrain_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void load();
  void showLayers();
  void showHover(int row, int column, const preview::Site* site);
  QString idleStatus() const;

  std::filesystem::path folder_;
  preview::PreviewTerrain terrain_;
  bool loaded_ = false;
  bool stale_ = false;
  int holds_ = 0;
  Base base_ = Base::Relief;
  bool shading_ = true;
  std::array<std::optional<QImage>, 3> pictures_;  // by base, made when first shown

  PreviewCanvas* canvas_ = nullptr;
  PreviewLegend* legend_ = nullptr;
  QButtonGroup* bases_ = nullptr;
  QCheckBox* tracksBox_ = nullptr;
  QCheckBox* sitesBox_ = nullptr;
  QCheckBox* shadingBox_ = nullptr;
  QLabel* status_ = nullptr;
};

// Where a window of size `wanted` goes beside `mainFrame` on the screen area
// `available`: to the right, else to the left, narrowed if need be, else below or
// above; never over the main window, even when that means leaving the screen.
QRect besideRect(const QRect& mainFrame, const QRect& available, const QSize& wanted);

}  // namespace quarnby
