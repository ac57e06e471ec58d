#include "settings/DiskSync.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace DiskSync {

bool syncDescriptor(int descriptor)
{
#ifdef Q_OS_UNIX
    return ::fsync(descriptor) == 0;
#else
    Q_UNUSED(descriptor);
    return true;
#endif
}

bool syncFolder(const QString &dir, SyncFunction sync)
{
#ifdef Q_OS_UNIX
    const int descriptor = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = sync(descriptor);
    ::close(descriptor);
    return synced;
#else
    Q_UNUSED(dir);
    Q_UNUSED(sync);
    return true;
#endif
}

} // namespace DiskSync
