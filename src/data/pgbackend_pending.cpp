#include "data/dberror.h"
#include "data/pgbackend.h"

// Replaced by the libpq backend when it lands.
namespace orv::data {
std::unique_ptr<Backend> openPostgresBackend(const QString &)
{
    throw DbError(ErrGeneric, QStringLiteral("PostgreSQL ist in diesem Stand nicht verfügbar."));
}
} // namespace orv::data
