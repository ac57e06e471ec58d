#pragma once

// Real file-system obstacles for fault tests: a read-only folder and a small,
// full file system. CI runs as root, and root writes through permission bits,
// so these use mounts instead, made in a mount namespace of the test's own:
// nothing outside the test process ever sees them, and they vanish with it.
//
// Needs CAP_SYS_ADMIN (root, and a container that allows mounting). Where
// that is missing, enter() says why and the tests that need it skip.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace PrivateMounts {

inline QString lastError(const char *what)
{
    return QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

// Moves this thread into a mount namespace of its own. Call it on the thread
// that does the file work (the main thread), once; later calls return the
// first answer. Empty text on success, otherwise the reason.
inline QString enter()
{
    static const QString reason = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return lastError("unshare(CLONE_NEWNS)");
        // Keep our mounts from propagating back to the machine's namespace.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return lastError("making / private");
        return QString();
    }();
    return reason;
}

// Mounts a tmpfs of `bytes` bytes on the existing folder `path`.
inline QString mountTmpfs(const QString &path, qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, options.constData()) != 0)
        return lastError("mounting a tmpfs");
    return {};
}

// Makes `path` (a folder or a file) read-only where it stands.
inline QString bindReadOnly(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mount(native.constData(), native.constData(), nullptr, MS_BIND, nullptr) != 0)
        return lastError("bind mount");
    if (::mount(nullptr, native.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        ::umount2(native.constData(), MNT_DETACH);
        return lastError("read-only remount");
    }
    return {};
}

// Mounts `path` on itself: it reads as before, but cannot be renamed over,
// renamed or deleted (EBUSY).
inline QString bindOnItself(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mount(native.constData(), native.constData(), nullptr, MS_BIND, nullptr) != 0)
        return lastError("bind mount");
    return {};
}

inline void unmount(const QString &path)
{
    ::umount2(QFile::encodeName(path).constData(), MNT_DETACH);
}

// Fills the file system that holds `folder` with a file named `name` until a
// write fails. Returns false when it did not fill up.
inline bool fill(const QString &folder, const QString &name = QStringLiteral("filler"))
{
    QFile filler(QDir(folder).filePath(name));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'x');
    for (int i = 0; i < 1 << 20; ++i) {
        if (filler.write(block) != block.size())
            break;
    }
    // Single bytes use up what is left of the last page.
    while (filler.write("x", 1) == 1) {
    }
    struct statvfs info
    {
    };
    return ::statvfs(QFile::encodeName(folder).constData(), &info) == 0 && info.f_bavail == 0;
}

// Unmounts on destruction.
class Mount
{
public:
    Mount() = default;
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;
    ~Mount()
    {
        if (!m_path.isEmpty())
            unmount(m_path);
    }

    QString tmpfs(const QString &path, qint64 bytes)
    {
        const QString error = mountTmpfs(path, bytes);
        if (error.isEmpty())
            m_path = path;
        return error;
    }

    QString readOnly(const QString &path)
    {
        const QString error = bindReadOnly(path);
        if (error.isEmpty())
            m_path = path;
        return error;
    }

    QString onItself(const QString &path)
    {
        const QString error = bindOnItself(path);
        if (error.isEmpty())
            m_path = path;
        return error;
    }

private:
    QString m_path;
};

} // namespace PrivateMounts

// Skips the test, printing why, when mounts are not available here.
#define REQUIRE_PRIVATE_MOUNTS()                                                                                       \
    do {                                                                                                               \
        const QString why_ = PrivateMounts::enter();                                                                   \
        if (!why_.isEmpty())                                                                                           \
            QSKIP(qPrintable(QStringLiteral("needs a private mount namespace (root): ") + why_));                      \
    } while (false)
