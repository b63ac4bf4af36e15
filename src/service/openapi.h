#pragma once

#include <QJsonObject>

namespace lumivo::service {

// The OpenAPI 3 description of the service's HTTP API, as GET /api/openapi.json serves it.
QJsonObject OpenApiDocument();

} // namespace lumivo::service
