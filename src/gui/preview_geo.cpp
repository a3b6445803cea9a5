#include "gui/preview_geo.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <cmath>

#include "geo/geo_loader.h"
#include "gui/preview_canvas.h"
#include "gui/preview_symbols.h"
#include "gui/qt_text.h"
#include "maps/preview_terrain.h"

namespace quarnby {
namespace {

constexpr const char* kNoFrame = "No theatre frame: Import DEM records one";
constexpr const char* kGoToTip =
    "Centre the map on a spot: latitude and longitude in degrees (46.5, 8.0 or 46.5 N, 8.0 E), or world X and Z in feet";
constexpr const char* kKindTip = "Latitude and longitude in degrees, or world X and Z in feet from the theatre centre";
constexpr const char* kReferenceTip =
    "Draw a vector file (GeoPackage, shapefile, GeoJSON, OpenStreetMap...) over the map";
constexpr const char* kFileFilter =
    "Vector files (*.gpkg *.shp *.geojson *.json *.kml *.gml *.gpx *.osm *.pbf *.fgb *.tab *.mif *.csv *.sqlite);;"
    "All files (*)";
// Scale (pixels a sample) at which Go to shows the spot, unless the view is closer already.
constexpr double kGoToScale = 4.0;

std::string worldText(geo::WorldPoint p) {
  return "X " + preview::groupedNumber(std::llround(p.x)) + " ft, Z " + preview::groupedNumber(std::llround(p.z)) +
         " ft";
}

// Two numbers with a comma between them; blanks anywhere are ignored. With `hemispheres`
// each may end in its letter, as the read-out writes them: "46.51234 N, 8.00321 E".
std::optional<geo::GeoPoint> twoNumbers(const QString& text, bool hemispheres) {
  QStringList parts = text.simplified().remove(' ').toUpper().split(',');
  if (parts.size() != 2) return std::nullopt;
  double sign[2] = {1, 1};
  for (int i = 0; i < 2 && hemispheres; ++i) {
    const QString letters = i == 0 ? "NS" : "EW";
    if (!parts[i].isEmpty() && letters.contains(parts[i].back())) {
      if (parts[i].back() == letters[1]) sign[i] = -1;
      parts[i].chop(1);
    }
  }
  const auto point = geo::parseGeoPoint(parts.join(',').toStdString());
  if (!point || !std::isfinite(point->lat) || !std::isfinite(point->lon)) return std::nullopt;
  return geo::GeoPoint{point->lat * sign[0], point->lon * sign[1]};
}

}  // namespace

QColor referenceColour() { return QColor(255, 40, 170); }

ReferenceShapes referenceShapes(const geo::ReferenceLayer& layer) {
  ReferenceShapes shapes;
  using Shape = geo::ReferenceFeature::Shape;
  for (const auto& feature : layer.features) {
    for (const auto& part : feature.parts) {
      QPolygonF polygon;
      for (const auto& p : part) polygon << mapPointOfWorld(p);
      if (polygon.isEmpty()) continue;
      switch (feature.shape) {
        case Shape::Point: shapes.points.push_back(polygon.front()); break;
        case Shape::Line: shapes.lines.push_back(polygon); break;
        case Shape::Area: shapes.areas.push_back(polygon); break;
      }
    }
    if (feature.label.empty() || feature.parts.empty() || feature.parts.front().empty()) continue;
    // A point's label beside it, a line's at its middle vertex, an area's at its outline's centre.
    const auto& first = feature.parts.front();
    QPointF at = mapPointOfWorld(first[first.size() / 2]);
    if (feature.shape == Shape::Area) {
      QPolygonF ring;
      for (const auto& p : first) ring << mapPointOfWorld(p);
      at = ring.boundingRect().center();
    }
    shapes.labels.push_back({at, QString::fromUtf8(feature.label.c_str())});
  }
  return shapes;
}

void paintReference(QPainter& painter, const ReferenceShapes& shapes, const QTransform& toView, double scale) {
  painter.save();
  const QRectF view = QRectF(painter.viewport()).adjusted(-20, -20, 20, 20);
  const QColor colour = referenceColour();
  // A dark casing under the colour keeps the lines readable on every base.
  for (const auto& [width, pen] : {std::pair{3.6, QColor(20, 20, 24, 170)}, std::pair{1.8, colour}}) {
    painter.setPen(QPen(pen, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    for (const auto& area : shapes.areas) {
      const QPolygonF shown = toView.map(area);
      if (shown.boundingRect().intersects(view)) painter.drawPolygon(shown);
    }
    for (const auto& line : shapes.lines) {
      const QPolygonF shown = toView.map(line);
      if (shown.boundingRect().intersects(view)) painter.drawPolyline(shown);
    }
  }
  const double r = std::clamp(scale * 1.0, 3.5, 7.0);
  painter.setPen(QPen(QColor(20, 20, 24), 1.2));
  painter.setBrush(colour);
  for (const QPointF& point : shapes.points) {
    const QPointF at = toView.map(point);
    if (view.contains(at)) painter.drawEllipse(at, r, r);
  }
  // Labels once there is room for them, or when there are few.
  if (scale >= 1.5 || shapes.labels.size() <= 60) {
    QFont font = painter.font();
    font.setPointSizeF(std::max(font.pointSizeF() * 0.9, 7.0));
    painter.setFont(font);
    for (const auto& label : shapes.labels) {
      const QPointF at = toView.map(label.at);
      if (view.contains(at)) paintLabel(painter, at + QPointF(r + 3, r * 0.5), label.text);
    }
  }
  painter.restore();
}

PreviewGeo::PreviewGeo(PreviewCanvas* canvas, QObject* parent) : QObject(parent), canvas_(canvas) {
  goToGroup_ = new QWidget;
  auto* goToRow = new QHBoxLayout(goToGroup_);
  goToRow->setContentsMargins(0, 0, 0, 0);
  goToRow->setSpacing(6);
  auto* label = new QLabel("&Go to:");
  kind_ = new QComboBox;
  kind_->setObjectName("PreviewGoToKind");
  kind_->addItems({"Lat, Lon", "X, Z ft"});
  field_ = new QLineEdit;
  field_->setObjectName("PreviewGoTo");
  field_->setPlaceholderText("46.5, 8.0");
  field_->setClearButtonEnabled(true);
  field_->setMinimumWidth(140);
  label->setBuddy(field_);
  goToRow->addWidget(label);
  goToRow->addWidget(kind_);
  goToRow->addWidget(field_);

  referenceGroup_ = new QWidget;
  auto* referenceRow = new QHBoxLayout(referenceGroup_);
  referenceRow->setContentsMargins(0, 0, 0, 0);
  referenceRow->setSpacing(6);
  referenceButton_ = new QPushButton("R&eference...");
  referenceButton_->setObjectName("PreviewReference");
  clearButton_ = new QPushButton("Clear");
  clearButton_->setObjectName("PreviewReferenceClear");
  clearButton_->setToolTip("Take the reference layer off the map");
  clearButton_->setEnabled(false);
  referenceRow->addWidget(referenceButton_);
  referenceRow->addWidget(clearButton_);

  connect(kind_, &QComboBox::currentIndexChanged, this,
          [this](int world) { field_->setPlaceholderText(world ? "-559680, 496320" : "46.5, 8.0"); });
  connect(field_, &QLineEdit::returnPressed, this, [this] { goTo(field_->text(), kind_->currentIndex() == 1); });
  connect(referenceButton_, &QPushButton::clicked, this, &PreviewGeo::pickReference);
  connect(clearButton_, &QPushButton::clicked, this, &PreviewGeo::clearReference);
  setEnabled(false, kNoFrame);
}

void PreviewGeo::setEnabled(bool on, const QString& why) {
  for (QWidget* control :
       {static_cast<QWidget*>(kind_), static_cast<QWidget*>(field_), static_cast<QWidget*>(referenceButton_)})
    control->setEnabled(on);
  kind_->setToolTip(on ? kKindTip : why);
  field_->setToolTip(on ? kGoToTip : why);
  referenceButton_->setToolTip(on ? (referenceNote_.isEmpty() ? QString(kReferenceTip) : referenceNote_) : why);
  clearButton_->setEnabled(on && reference_.has_value());
}

void PreviewGeo::load(const std::filesystem::path& folder) {
  std::string error;
  bool missing = false;
  const auto frame = folder.empty() ? std::nullopt : readTheatreFrame(folder, error, &missing);
  const std::optional<std::string> before = projection_;
  projection_.reset();
  rows_.assign(kElevSize, {});
  canvas_->setMarker(std::nullopt);
  if (!frame) {
    setEnabled(false, missing || folder.empty() ? QString(kNoFrame) : shownText(error));
  } else {
    std::string problem;
    module_ = geo::geoModule(problem);
    // A projection the module cannot use is found here, not at the first move of the cursor.
    const geo::WorldPoint centre;
    geo::GeoPoint degrees;
    if (!module_) {
      setEnabled(false, shownText(geo::missingModuleText("The map's latitude and longitude", problem)));
    } else if (!module_->toGeographic(frame->projection, {&centre, 1}, {&degrees, 1}, problem)) {
      setEnabled(false, shownText(problem));
    } else {
      projection_ = frame->projection;
      setEnabled(true, {});
    }
  }
  if (!projection_) {
    if (reference_) clearReference();
  } else if (reference_ && before != projection_ && !showReference(referenceFile_)) {
    clearReference();
  }
  showIdle();
}

bool PreviewGeo::say(const QString& note) {
  note_ = note;
  emit noteChanged();
  return false;
}

void PreviewGeo::showIdle() {
  say(reference_ ? "Reference " + pathText(referenceFile_.filename()) +
                       (referenceNote_.isEmpty() ? QString() : "    " + QString(referenceNote_).replace('\n', "  "))
                 : QString());
}

QString PreviewGeo::readoutOf(int row, int column) {
  if (!projection_ || row < 0 || row >= kElevSize || column < 0 || column >= kElevSize) return {};
  auto& cached = rows_[static_cast<std::size_t>(row)];
  if (cached.empty()) {
    // One call for the whole row: a move along it reads the cache.
    std::vector<geo::WorldPoint> world;
    for (int c = 0; c < kElevSize; ++c)
      world.push_back({static_cast<double>(preview::worldFeetOf(c)), static_cast<double>(preview::worldFeetOf(row))});
    std::vector<geo::GeoPoint> degrees(world.size());
    std::string problem;
    if (!module_->toGeographic(*projection_, world, degrees, problem)) return {};
    cached = std::move(degrees);
  }
  const geo::GeoPoint p = cached[static_cast<std::size_t>(column)];
  return "    " + toQt(geoPointText(p.lat, p.lon));
}

bool PreviewGeo::goTo(const QString& text, bool world) {
  const auto fail = [this](const QString& why) { return say(why); };
  if (!projection_) return fail(field_->toolTip());
  const auto numbers = twoNumbers(text, !world);
  if (!numbers)
    return fail(world ? "Type world X and Z in feet, as -559680, 496320"
                      : "Type latitude and longitude in degrees, as 46.5, 8.0");
  geo::WorldPoint spot{numbers->lat, numbers->lon};
  geo::GeoPoint degrees = *numbers;
  std::string problem;
  if (world) {
    if (!module_->toGeographic(*projection_, {&spot, 1}, {&degrees, 1}, problem)) return fail(shownText(problem));
  } else {
    if (std::fabs(degrees.lat) > 90 || std::fabs(degrees.lon) > 360)
      return fail("A latitude lies between -90 and 90 degrees, a longitude between -180 and 180");
    if (!module_->toWorld(*projection_, {&degrees, 1}, {&spot, 1}, problem)) return fail(shownText(problem));
  }
  const auto column = worldToIndex(spot.x), row = worldToIndex(spot.z);
  const QString where = toQt(geoPointText(degrees.lat, degrees.lon) + "    " + worldText(spot));
  if (!column || !row || *column < 0 || *column >= kElevSize || *row < 0 || *row >= kElevSize) {
    canvas_->setMarker(std::nullopt);
    return fail(where + "    lies off the theatre");
  }
  canvas_->setMarker(spot);
  canvas_->centreOn(static_cast<int>(*row), static_cast<int>(*column), std::max(canvas_->scale(), kGoToScale));
  say("Row " + QString::number(*row) + ", column " + QString::number(*column) + "    " + where);
  return true;
}

void PreviewGeo::pickReference() {
  const QString chosen = QFileDialog::getOpenFileName(referenceButton_->window(), "Reference layer",
                                                      pathText(referenceFile_.parent_path()), kFileFilter);
  if (!chosen.isEmpty()) showReference(pathOf(chosen));
}

bool PreviewGeo::showReference(const std::filesystem::path& file) {
  if (!projection_) return say(field_->toolTip());
  std::string problem;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto layer = module_->readReference(file, *projection_, problem);
  QApplication::restoreOverrideCursor();
  if (!layer) return say(shownText(problem));
  referenceFile_ = file;
  reference_ = referenceShapes(*layer);
  referenceNote_ = shownText(layer->note);
  canvas_->setReference(&*reference_);
  setEnabled(true, {});
  showIdle();
  emit referenceChanged();
  return true;
}

void PreviewGeo::clearReference() {
  reference_.reset();
  referenceNote_.clear();
  canvas_->setReference(nullptr);
  setEnabled(available(), field_->toolTip());
  showIdle();
  emit referenceChanged();
}

QString PreviewGeo::referenceName() const { return reference_ ? pathText(referenceFile_.filename()) : QString(); }

}  // namespace quarnby
