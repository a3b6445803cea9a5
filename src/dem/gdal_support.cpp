#include "dem/gdal_support.h"

#include <mutex>

namespace quarnby::dem {

void initialiseGdal() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

SpatialRef spatialRef(const std::string& definition) {
  SpatialRef srs(OSRNewSpatialReference(nullptr));
  if (OSRSetFromUserInput(srs.get(), definition.c_str()) != OGRERR_NONE) return nullptr;
  OSRSetAxisMappingStrategy(srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

SpatialRef geographicWgs84() { return spatialRef("EPSG:4326"); }

GdalErrors::GdalErrors() { CPLPushErrorHandlerEx(&GdalErrors::handler, this); }
GdalErrors::~GdalErrors() { CPLPopErrorHandler(); }

void CPL_STDCALL GdalErrors::handler(CPLErr level, CPLErrorNum, const char* message) {
  if (level < CE_Failure || !message) return;
  static_cast<GdalErrors*>(CPLGetErrorHandlerUserData())->last_ = message;
}

}  // namespace quarnby::dem
