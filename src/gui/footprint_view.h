#pragma once
#include <QWidget>

#include <vector>

#include "geo/geo_types.h"

namespace quarnby {

// The sources' footprints and the theatre square in latitude and longitude (longitude
// shrunk by the cosine of the middle latitude, so shapes look as on the ground), north up.
class FootprintView : public QWidget {
 public:
  explicit FootprintView(QWidget* parent);
  void show(std::vector<std::vector<geo::GeoPoint>> sources, std::vector<geo::GeoPoint> theatre);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<std::vector<geo::GeoPoint>> sources_;
  std::vector<geo::GeoPoint> theatre_;
};

}  // namespace quarnby
