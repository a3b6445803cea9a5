#pragma once
#include <cstddef>
#include <string>
#include <vector>

// What the program and the geographic module exchange about the theatre on the map:
// positions in the world frame and the vector layers read for the preview.
namespace quarnby::geo {

// A position in the theatre's world frame: feet east (x) and north (z) of the theatre
// centre, which is sample (512, 512). The projection's metres are these feet * 0.3048.
struct WorldPoint {
  double x = 0.0;
  double z = 0.0;
};

// One feature of a reference layer in the world frame: a point, a line or an area (its
// rings), and the label it carries ("" when none).
struct ReferenceFeature {
  enum class Shape { Point, Line, Area } shape = Shape::Point;
  std::vector<std::vector<WorldPoint>> parts;
  std::string label;
};

// A vector file read for the preview's "Reference" overlay: the layer shown, its features
// and what the user should know about the reading ("The file has 3 layers: showing the
// first, "roads".", features left out), one sentence a line.
struct ReferenceLayer {
  std::string name;
  std::vector<ReferenceFeature> features;
  std::string note;
};

}  // namespace quarnby::geo
