#include "backup/FileAccess.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>

namespace Backup {

SqlConnection::SqlConnection(const QString &path, bool readOnly, int busyTimeoutMs)
{
    static QAtomicInteger<int> counter;
    m_name = QStringLiteral("lexivane-backup-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs);
    if (readOnly)
        options.prepend(QStringLiteral("QSQLITE_OPEN_READONLY;"));
    db.setConnectOptions(options);
    m_open = db.open();
}

SqlConnection::~SqlConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace Backup
