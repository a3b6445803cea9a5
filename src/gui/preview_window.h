#pragma once
#include <QImage>
#include <QWidget>

#include <array>
#include <filesystem>
#include <optional>
#include <vector>

#include "gui/preview_legend.h"
#include "maps/preview_terrain.h"

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QLayout;

namespace quarnby {

class ElidedLabel;
class PreviewCanvas;
class PreviewGeo;

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
  PreviewGeo* geo() const { return geo_; }
  QString statusText() const;
  const preview::PreviewTerrain& terrain() const { return terrain_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void load();
  // The legend beside the map where the window is wide enough, else under it.
  void arrange();
  // The least size at which the switches (wrapped), the map, the legend under it and the
  // status line all show whole.
  QSize narrowest() const;
  // The least size at `width`: the legend beside the map when there is room for both,
  // else under it; the switches wrapped to the width.
  QSize leastSize(int width) const;
  // Moves and shrinks the window so that it lies wholly on its screen, frame included.
  void keepOnScreen();
  // Keeps the window's place and size for the next opening.
  void remember();
  void showLayers();
  void showHover(int row, int column, const preview::Site* site);
  QString idleStatus() const;

  std::filesystem::path folder_;
  preview::PreviewTerrain terrain_;
  bool loaded_ = false;
  bool stale_ = false;
  bool placed_ = false;
  QSize frameExtra_;  // what the window manager's frame adds, once it has been seen  // showBeside has placed it; from
                      // then on its moves are remembered
  int holds_ = 0;
  Base base_ = Base::Relief;
  bool shading_ = true;
  std::array<std::optional<QImage>, 4> pictures_;  // by base, made when first shown

  PreviewCanvas* canvas_ = nullptr;
  PreviewLegend* legend_ = nullptr;
  PreviewGeo* geo_ = nullptr;
  QButtonGroup* bases_ = nullptr;
  QCheckBox* tracksBox_ = nullptr;
  QCheckBox* sitesBox_ = nullptr;
  QCheckBox* shadingBox_ = nullptr;
  ElidedLabel* status_ = nullptr;
  QLayout* switches_ = nullptr;
  QBoxLayout* middle_ = nullptr;
};

}  // namespace quarnby
