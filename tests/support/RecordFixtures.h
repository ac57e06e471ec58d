#pragma once

#include "record/RecordStore.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// Answers and a second look into lexvan.db for the record tests.
namespace RecordFixtures {

// A fixed moment, in UTC, that every test counts from: Tuesday 8 December
// 2026 at noon.
inline QDateTime noon()
{
    return QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
}

inline AnswerRecord answer(const QDateTime &time, const QString &word, bool right, qint64 ms = 2000, int pass = 0,
                           const QString &file = QStringLiteral("basic.txt"), int group = 1)
{
    AnswerRecord a;
    a.time = time;
    a.library = QStringLiteral("基础词汇");
    a.libraryFile = file;
    a.group = group;
    a.word = word;
    a.meaning = QStringLiteral("释义-") + word;
    a.pass = pass;
    a.right = right;
    a.milliseconds = ms;
    return a;
}

// The same answer with its time split where typing began: `reaction` to the
// first key, then `typing` for `characters` characters.
inline AnswerRecord timed(AnswerRecord a, qint64 reaction, qint64 typing, int characters)
{
    a.reactionMs = reaction;
    a.typingMs = typing;
    a.characters = characters;
    a.milliseconds = reaction + typing;
    return a;
}

// Reads the database through a connection of its own, not through the store
// under test, so a fault in the store cannot hide itself.
class Inspector
{
public:
    explicit Inspector(const QString &path)
        : m_name(QStringLiteral("inspector-%1").arg(quintptr(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~Inspector()
    {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    Inspector(const Inspector &) = delete;
    Inspector &operator=(const Inspector &) = delete;

    // The first column of the first row, or an invalid value.
    QVariant value(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        if (!query.exec(sql) || !query.next())
            return {};
        return query.value(0);
    }

    bool exec(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        return query.exec(sql);
    }

private:
    QString m_name;
};

} // namespace RecordFixtures
