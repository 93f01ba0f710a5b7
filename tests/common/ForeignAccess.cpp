#include "ForeignAccess.h"

#include <QFile>
#include <linux/capability.h>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <unistd.h>

namespace ForeignAccess {

Lock::Lock(const QString& path, const char* mode) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    const QByteArray begin = QByteArray("BEGIN ") + mode;
    if (sqlite3_exec(m_db, begin.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    m_held = true;
}

Lock::~Lock() {
    if (m_releaser.joinable())
        m_releaser.join();
    Release();
    sqlite3_close(m_db);
}

void Lock::Release() {
    if (m_held)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_held = false;
}

void Lock::ReleaseAfter(int ms) {
    m_releaser = std::thread([this, ms] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        Release();
    });
}

namespace {
bool setDacOverride(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    const bool had = data[0].effective & bits;
    if (on)
        data[0].effective |= data[0].permitted & bits;
    else
        data[0].effective &= ~bits;
    return syscall(SYS_capset, &header, data) == 0 && had;
}
} // namespace

NoWriteOverride::NoWriteOverride() : m_dropped(setDacOverride(false)) {}

NoWriteOverride::~NoWriteOverride() {
    if (m_dropped)
        setDacOverride(true);
}

} // namespace ForeignAccess
