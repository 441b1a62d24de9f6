#include "support/diskfaults.h"

#include "data/connection.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace orv::test {
namespace {

// The layer's state is global: SQLite calls into it without a context.
struct Layer {
    sqlite3_vfs *system = nullptr;
    sqlite3_vfs vfs{};
    int failCount = 0;
    int failCode = SQLITE_OK;
    bool writeProtected = false;
    // The system's file methods, each with our write in place of its own.
    std::map<const sqlite3_io_methods *, std::unique_ptr<sqlite3_io_methods>> methods;
} g_layer;

// Behind the system's own file structure each open file keeps what it was
// opened as and the system's methods for it.
struct Tail {
    const sqlite3_io_methods *system;
    bool database;
};

Tail tailOf(sqlite3_file *file)
{
    Tail t;
    std::memcpy(&t, reinterpret_cast<char *>(file) + g_layer.system->szOsFile, sizeof t);
    return t;
}

int layerWrite(sqlite3_file *file, const void *data, int amount, sqlite3_int64 offset)
{
    const Tail t = tailOf(file);
    if (t.database && g_layer.failCount > 0) {
        --g_layer.failCount;
        return g_layer.failCode;
    }
    return t.system->xWrite(file, data, amount, offset);
}

int layerOpen(sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags)
{
    const bool database = flags & SQLITE_OPEN_MAIN_DB;
    // What the system layer does itself when the file may not be written.
    if (database && g_layer.writeProtected && (flags & SQLITE_OPEN_READWRITE))
        flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    const int rc = g_layer.system->xOpen(g_layer.system, name, file, flags, outFlags);
    if (rc != SQLITE_OK || !file->pMethods)
        return rc;
    const Tail t{file->pMethods, database};
    std::memcpy(reinterpret_cast<char *>(file) + g_layer.system->szOsFile, &t, sizeof t);
    auto &ours = g_layer.methods[file->pMethods];
    if (!ours) {
        ours = std::make_unique<sqlite3_io_methods>(*file->pMethods);
        ours->xWrite = layerWrite;
    }
    file->pMethods = ours.get();
    return rc;
}

} // namespace

DiskFaults::DiskFaults()
{
    if (!g_layer.system) {
        g_layer.system = sqlite3_vfs_find(nullptr);
        g_layer.vfs = *g_layer.system;
        g_layer.vfs.zName = "orv-test-disk";
        g_layer.vfs.pNext = nullptr;
        g_layer.vfs.szOsFile = g_layer.system->szOsFile + int(sizeof(Tail));
        g_layer.vfs.xOpen = layerOpen;
    }
    failWrites(0, SQLITE_OK);
    g_layer.writeProtected = false;
    EXPECT_EQ(sqlite3_vfs_register(&g_layer.vfs, 1), SQLITE_OK);
}

DiskFaults::~DiskFaults()
{
    failWrites(0, SQLITE_OK);
    g_layer.writeProtected = false;
    sqlite3_vfs_unregister(&g_layer.vfs);
    sqlite3_vfs_register(g_layer.system, 1);
}

void DiskFaults::failWrites(int count, int code)
{
    g_layer.failCount = count;
    g_layer.failCode = code;
}

void DiskFaults::setWriteProtected(bool on) { g_layer.writeProtected = on; }

FailingCommit::FailingCommit(data::Connection &conn, bool server) : m_conn(conn), m_server(server) {}

void FailingCommit::arm()
{
    if (!m_server) {
        m_disk.failWrites(1, SQLITE_FULL);
        return;
    }
    m_conn.exec(QStringLiteral("CREATE FUNCTION abgelehnt() RETURNS trigger LANGUAGE plpgsql AS "
                               "'BEGIN RAISE EXCEPTION ''abgelehnt''; END'"));
    m_conn.exec(QStringLiteral("CREATE CONSTRAINT TRIGGER beim_commit AFTER INSERT ON Trainingsplan DEFERRABLE "
                               "INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION abgelehnt()"));
}

// On SQLite the one failed write was the fault: the space is there again.
void FailingCommit::lift()
{
    if (m_server)
        m_conn.exec(QStringLiteral("DROP TRIGGER beim_commit ON Trainingsplan"));
}

} // namespace orv::test
