#pragma once
// What the dem layer's files share about GDAL: registering the drivers once, owning
// handles, and catching GDAL's error messages to show them to the user.
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <memory>
#include <string>

namespace quarnby::dem {

// Registers GDAL's drivers the first time it is called.
void initialiseGdal();

struct DatasetCloser {
  void operator()(GDALDatasetH ds) const {
    if (ds) GDALClose(ds);
  }
};
using Dataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, DatasetCloser>;

struct SpatialRefCloser {
  void operator()(OGRSpatialReferenceH srs) const {
    if (srs) OSRDestroySpatialReference(srs);
  }
};
using SpatialRef = std::unique_ptr<std::remove_pointer_t<OGRSpatialReferenceH>, SpatialRefCloser>;

struct TransformCloser {
  void operator()(OGRCoordinateTransformationH ct) const {
    if (ct) OCTDestroyCoordinateTransformation(ct);
  }
};
using CoordinateTransform = std::unique_ptr<std::remove_pointer_t<OGRCoordinateTransformationH>, TransformCloser>;

struct FeatureCloser {
  void operator()(OGRFeatureH f) const {
    if (f) OGR_F_Destroy(f);
  }
};
using Feature = std::unique_ptr<std::remove_pointer_t<OGRFeatureH>, FeatureCloser>;

struct GeometryCloser {
  void operator()(OGRGeometryH g) const {
    if (g) OGR_G_DestroyGeometry(g);
  }
};
using Geometry = std::unique_ptr<std::remove_pointer_t<OGRGeometryH>, GeometryCloser>;

// A coordinate system from PROJ text or EPSG:n, with longitude before latitude whatever
// the authority says.
SpatialRef spatialRef(const std::string& definition);
// WGS84 longitude and latitude in degrees, longitude first.
SpatialRef geographicWgs84();

// While alive, GDAL's failures on this thread are kept instead of printed; `last()` is the
// latest one, or `fallback` when GDAL said nothing.
class GdalErrors {
 public:
  GdalErrors();
  ~GdalErrors();
  GdalErrors(const GdalErrors&) = delete;
  GdalErrors& operator=(const GdalErrors&) = delete;
  std::string last(const std::string& fallback) const { return last_.empty() ? fallback : last_; }

 private:
  static void CPL_STDCALL handler(CPLErr level, CPLErrorNum, const char* message);
  std::string last_;
};

}  // namespace quarnby::dem
