#pragma once
#include "data/backend.h"

namespace orv::data {

// PostgreSQL through libpq. The URI follows libpq's conventions; credentials
// come from ~/.pgpass, PGPASSWORD and PGUSER, never from the settings.
std::unique_ptr<Backend> openPostgresBackend(const QString &uri);

} // namespace orv::data
