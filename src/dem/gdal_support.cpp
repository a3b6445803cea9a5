#include "dem/gdal_support.h"

#include <cpl_conv.h>

#include <mutex>

namespace quarnby::dem {

namespace {

// Network sources (/vsicurl/ and the like): a host that takes the connection and never
// answers ends the request within seconds instead of holding the import for minutes. A
// setting the user gave (environment, --config) stands.
constexpr const char* kNetworkLimits[][2] = {
    {"GDAL_HTTP_CONNECTTIMEOUT", "10"},  // seconds to make the connection
    {"GDAL_HTTP_LOW_SPEED_TIME", "5"},   // seconds under the speed below end a request
    {"GDAL_HTTP_LOW_SPEED_LIMIT", "1"},  // bytes a second
    {"GDAL_HTTP_TIMEOUT", "120"},        // seconds for one whole request, however it flows
    {"GDAL_HTTP_MAX_RETRY", "1"},       {"GDAL_HTTP_RETRY_DELAY", "1"},
};

}  // namespace

void initialiseGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    GDALAllRegister();
    for (const auto& [name, value] : kNetworkLimits)
      if (!CPLGetConfigOption(name, nullptr)) CPLSetConfigOption(name, value);
  });
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
