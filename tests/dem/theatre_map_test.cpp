// World positions against latitudes and longitudes worked out here from the ellipsoid:
// along the equator and along a meridian the theatre's azimuthal equidistant distance is
// the arc length, so the expected degrees need no projection library.
#include "dem/theatre_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dem/theatre.h"

using namespace quarnby;

namespace {

constexpr double kA = 6378137.0;
constexpr double kF = 1 / 298.257223563;
constexpr double kDegree = std::numbers::pi / 180;

// Meridian arc length from latitude a to b (degrees), by Simpson's rule.
double meridianArc(double a, double b) {
  const double e2 = kF * (2 - kF);
  auto m = [&](double phi) { return kA * (1 - e2) / std::pow(1 - e2 * std::sin(phi) * std::sin(phi), 1.5); };
  const int n = 2000;
  const double h = (b - a) * kDegree / n;
  double sum = m(a * kDegree) + m(b * kDegree);
  for (int i = 1; i < n; ++i) sum += (i % 2 ? 4 : 2) * m(a * kDegree + i * h);
  return sum * h / 3;
}

// The latitude `metres` north of `lat` along the meridian.
double latitudeNorthOf(double lat, double metres) {
  double lo = lat, hi = lat + 10;
  for (int i = 0; i < 60; ++i) {
    const double mid = (lo + hi) / 2;
    (meridianArc(lat, mid) < metres ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

TEST(TheatreMap, WorldPositionsFallOnTheEllipsoidsArcs) {
  struct Case {
    const char* name;
    geo::GeoPoint centre;
    geo::WorldPoint world;
    geo::GeoPoint expected;
  };
  const double east = 100000 / dem::kMetresPerFoot;   // 100 km in feet
  const double north = 200000 / dem::kMetresPerFoot;  // 200 km in feet
  const Case cases[] = {
      {"centre", {46.5, 8.0}, {0, 0}, {46.5, 8.0}},
      {"east along the equator", {0, 0}, {east, 0}, {0, 100000 / kA / kDegree}},
      {"west along the equator", {0, 30}, {-east, 0}, {0, 30 - 100000 / kA / kDegree}},
      {"north along the meridian", {46.5, 8.0}, {0, north}, {latitudeNorthOf(46.5, 200000), 8.0}},
      {"across the antimeridian", {0, 179.5}, {east, 0}, {0, 179.5 + 100000 / kA / kDegree - 360}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto projection = dem::theatreProjection(c.centre);
    geo::GeoPoint out;
    std::string problem;
    ASSERT_TRUE(dem::toGeographic(projection, {&c.world, 1}, {&out, 1}, problem)) << problem;
    EXPECT_NEAR(out.lat, c.expected.lat, 1e-9);
    EXPECT_NEAR(out.lon, c.expected.lon, 1e-9);
    geo::WorldPoint back;
    ASSERT_TRUE(dem::toWorld(projection, {&c.expected, 1}, {&back, 1}, problem)) << problem;
    EXPECT_NEAR(back.x, c.world.x, 1e-3);
    EXPECT_NEAR(back.z, c.world.z, 1e-3);
  }
}

TEST(TheatreMap, AProjectionThatIsNoneIsRefused) {
  geo::WorldPoint in;
  geo::GeoPoint out;
  std::string problem;
  EXPECT_FALSE(dem::toGeographic("+proj=nonsense", {&in, 1}, {&out, 1}, problem));
  EXPECT_NE(problem.find("The theatre frame's projection cannot be used"), std::string::npos) << problem;
}

}  // namespace
