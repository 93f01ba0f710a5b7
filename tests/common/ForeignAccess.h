#pragma once

#include <QString>
#include <thread>

struct sqlite3;

// What another program can do to the database file while the program runs.
namespace ForeignAccess {

// Another program's connection that takes a lock on the file ("EXCLUSIVE" keeps readers
// out, "IMMEDIATE" only other writers) and holds it until Release, or for a while.
class Lock {
public:
    Lock(const QString& path, const char* mode);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    // Lets go at once, or after ms milliseconds from another thread, since the program
    // waits for it on this one.
    void Release();
    void ReleaseAfter(int ms);
    // The raw connection, for trying a write of "the other program".
    sqlite3* Handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    std::thread m_releaser;
    bool m_held = false;
};

// Takes away this process's right to write files it has no write permission for (a
// test may run as root, who otherwise writes to any file), until it goes.
class NoWriteOverride {
public:
    NoWriteOverride();
    ~NoWriteOverride();
    NoWriteOverride(const NoWriteOverride&) = delete;
    NoWriteOverride& operator=(const NoWriteOverride&) = delete;

private:
    bool m_dropped = false;
};

} // namespace ForeignAccess
