#pragma once
#include <QImage>
#include <QWidget>

#include <array>
#include <filesystem>
#include <optional>
#include <vector>

#include "gui/preview_legend.h"
#include "maps/preview_terrain.h"

class QButtonGroup;
class QCheckBox;
class QLabel;

namespace quarnby {

class PreviewCanvas;

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
  void moveEvent(QMoveEvent* event) override;

 private:
  void load();
  // Keeps the window's place and size for the next opening.
  void remember();
  void showLayers();
  void showHover(int row, int column, const preview::Site* site);
  QString idleStatus() const;

  std::filesystem::path folder_;
  preview::PreviewTerrain terrain_;
  bool loaded_ = false;
  bool stale_ = false;
  bool placed_ = false;  // showBeside has placed it; from then on its moves are remembered
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

}  // namespace quarnby
