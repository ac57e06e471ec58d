#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

// What the backup code does to files alike in every part of it: a SQLite
// connection of its own, and a whole file read.
namespace Backup {

// A named connection to one database file, closed and removed when it goes,
// so backups, merges and syncs on their threads never share Qt's default
// connection (or the record's).
class SqlConnection
{
public:
    SqlConnection(const QString &path, bool readOnly, int busyTimeoutMs);
    ~SqlConnection();
    SqlConnection(const SqlConnection &) = delete;
    SqlConnection &operator=(const SqlConnection &) = delete;

    bool isOpen() const { return m_open; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_open = false;
};

// The whole of a regular file; false when it is missing, not a file or
// cannot be read to its end.
bool readWholeFile(const QString &path, QByteArray &bytes);

} // namespace Backup
