#pragma once
#include <QObject>
#include <QPointF>
#include <QPolygonF>
#include <QString>
#include <QTransform>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "geo/geo_types.h"
#include "geo/theatre_map.h"
#include "terrain/grids.h"
#include "terrain/theatre_frame.h"

class QComboBox;
class QLineEdit;
class QPainter;
class QPushButton;
class QWidget;

namespace quarnby {

class PreviewCanvas;
namespace geo {
class GeoModule;
}

// The map's units: x = column, y = 1024 - row, so that a sample's centre is at
// (column + 0.5, 1023.5 - row), and world position (0, 0) is sample (512, 512)'s centre.
inline QPointF mapPointOfWorld(geo::WorldPoint p) {
  return QPointF(p.x / kSampleSpacing + 512.5, kElevSize - 512.5 - p.z / kSampleSpacing);
}

// A reference layer laid out in map units once, so that a paint only scales it.
struct ReferenceShapes {
  std::vector<QPolygonF> lines;
  std::vector<QPolygonF> areas;
  struct Label {
    QPointF at;
    QString text;
  };
  std::vector<QPointF> points;
  std::vector<Label> labels;
};
ReferenceShapes referenceShapes(const geo::ReferenceLayer& layer);
// Draws the layer through `toView` (map units to view pixels) at `scale` pixels a sample;
// labels only once they have room.
void paintReference(QPainter& painter, const ReferenceShapes& shapes, const QTransform& toView, double scale);
// The colour of the reference layer, on the map and in the legend.
QColor referenceColour();

// What the preview knows of the Earth when the folder keeps its theatre frame: latitude
// and longitude in the read-out, the Go to field, and the reference overlay. Without a
// frame, or without the geographic module, its controls are off and say why.
class PreviewGeo : public QObject {
  Q_OBJECT
 public:
  PreviewGeo(PreviewCanvas* canvas, QObject* parent);

  // The controls the window lays out: Go to (its kind and its field), Reference and Clear.
  QWidget* goToGroup() const { return goToGroup_; }
  QWidget* referenceGroup() const { return referenceGroup_; }
  // What the status line says while the cursor is off the map: where Go to went, why it
  // did not, what the reference layer holds; "" for nothing.
  const QString& note() const { return note_; }

  // Reads the folder's frame, and loads the module when there is one. A reference layer
  // shown stays, read again when the projection changed.
  void load(const std::filesystem::path& folder);
  bool available() const { return projection_.has_value(); }
  // "    46.51234 N, 8.00321 E" for sample (row, column), "" without a frame.
  QString readoutOf(int row, int column);

  // Go to: "LAT,LON" in degrees, or world "X,Z" in feet when `world`; false with the
  // reason in the note when the text is no point or the point lies off the theatre.
  bool goTo(const QString& text, bool world);
  // Reads a vector file as the reference layer; false with the reason in the note.
  bool showReference(const std::filesystem::path& file);
  void clearReference();
  // The reference shown: its file's name ("" when none), for the legend.
  QString referenceName() const;

 signals:
  void referenceChanged();
  void noteChanged();

 private:
  void setEnabled(bool on, const QString& why);
  void pickReference();
  void showIdle();
  bool say(const QString& note);

  PreviewCanvas* canvas_;
  const geo::GeoModule* module_ = nullptr;
  std::optional<std::string> projection_;  // the frame's, when the module can use it
  // Latitude and longitude of the samples, a row at a time as the cursor reaches it.
  std::vector<std::vector<geo::GeoPoint>> rows_;
  std::filesystem::path referenceFile_;
  std::optional<ReferenceShapes> reference_;
  QString referenceNote_;
  QString note_;

  QWidget* goToGroup_ = nullptr;
  QWidget* referenceGroup_ = nullptr;
  QComboBox* kind_ = nullptr;
  QLineEdit* field_ = nullptr;
  QPushButton* referenceButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
};

}  // namespace quarnby
