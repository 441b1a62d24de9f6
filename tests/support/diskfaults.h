#pragma once

// Faults of the disk under SQLite: while an object lives, every SQLite file
// the process opens goes through a thin layer over the system's own, which
// can make the database files (not their journals) fail their next writes,
// as a full disk or a failing drive does, or open them as a write-protected
// file opens. SQLite itself, its locking and its recovery stay the real ones.
namespace orv::data {
class Connection;
}

namespace orv::test {

class DiskFaults {
public:
    DiskFaults();
    ~DiskFaults(); // files opened meanwhile stay in the layer, without faults
    DiskFaults(const DiskFaults &) = delete;
    DiskFaults &operator=(const DiskFaults &) = delete;

    // The next `count` writes into database files fail with `code` (an SQLite
    // result code, SQLITE_FULL or an SQLITE_IOERR_...); 0 ends the faults.
    void failWrites(int count, int code);
    // Database files opened from now on can only be read, as when the user
    // may not write the file; false lets the next ones write again.
    void setWriteProtected(bool on);
};

// Commits that fail after their writes went into the transaction: on
// SQLite the disk is full for the next write into a file opened since this
// object was made; a server refuses every commit with a new training-plan
// entry until lift().
class FailingCommit {
public:
    FailingCommit(data::Connection &conn, bool server);
    void arm();
    void lift();

private:
    DiskFaults m_disk;
    data::Connection &m_conn;
    bool m_server;
};

} // namespace orv::test
