#pragma once

#include "ProgramFolder.h"
#include "RecordFixtures.h"
#include "TestFiles.h"

#include "backup/Backup.h"
#include "record/RecordStore.h"

#include <QDirIterator>
#include <QMap>

// A program folder with a learner's things in it, and a byte-for-byte
// picture of a folder, for the backup, export and import tests.
namespace BackupFixtures {

// Every file under `dir` (relative path -> bytes), the backup/ folder left
// out: a failed operation may leave its own backup there, never anything
// else.
inline QMap<QString, QByteArray> folderBytes(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(dir).relativeFilePath(path);
        if (!relative.startsWith(QLatin1String("backup/")))
            files.insert(relative, TestFiles::readBytes(path));
    }
    return files;
}

inline ProgramPaths pathsOf(const ProgramFolder &folder)
{
    return ProgramPaths{folder.path(), folder.path() + QStringLiteral("/data")};
}

// One library (测试词库, test.txt), box 0 with one word, and `answers`
// answers (one a minute from `from`, the words taking turns) in lexvan.db.
inline void fill(const ProgramFolder &folder, int answers, const QString &tag = QStringLiteral("a"),
                 const QDateTime &from = RecordFixtures::noon())
{
    folder.writeIni(ProgramFolder::oneLibraryIni());
    folder.writeNumberedLibrary(QStringLiteral("test.txt"), 30);
    folder.writeLibrary(QStringLiteral("box0.txt"), {QStringLiteral("cat-") + tag, QStringLiteral("猫")});
    RecordStore store;
    store.open(folder.path() + QStringLiteral("/lexvan.db"));
    QList<AnswerRecord> list;
    for (int n = 0; n < answers; ++n) {
        list << RecordFixtures::answer(from.addSecs(60 * n), QStringLiteral("word%1").arg(n % 7 + 1),
                                       n % 3 != 0, 1500, 0, QStringLiteral("test.txt"));
    }
    store.recordAnswers(list);
    store.close();
}

// Every answer as one line, sorted: two records with the same history
// give the same list.
inline QStringList answerRows(const ProgramFolder &folder)
{
    QStringList rows;
    RecordFixtures::Inspector inspector(folder.path() + QStringLiteral("/lexvan.db"));
    const QVariant all = inspector.value(QStringLiteral(
        "SELECT group_concat(r, '|') FROM (SELECT at || ' ' || file || ' ' || word || ' ' || pass || ' ' || correct"
        " AS r FROM answers ORDER BY r)"));
    return all.toString().split(u'|');
}

// The due words at `now`, with their due times.
inline QStringList dueList(const ProgramFolder &folder, const QDateTime &now)
{
    RecordStore store;
    store.open(folder.path() + QStringLiteral("/lexvan.db"));
    QStringList words;
    for (const DueWord &due : store.dueWords(now, 1000))
        words << due.libraryFile + u' ' + due.word + u' ' + due.due.toString(Qt::ISODateWithMs);
    return words;
}

// Answers at the first try, 30 s apart, from word`firstWord` on.
inline void study(const ProgramFolder &folder, const QDateTime &from, const QList<bool> &rights, int firstWord)
{
    RecordStore store;
    store.open(folder.path() + QStringLiteral("/lexvan.db"));
    for (int n = 0; n < rights.size(); ++n) {
        store.recordAnswer(RecordFixtures::answer(from.addSecs(30 * n), QStringLiteral("word%1").arg(firstWord + n),
                                                  rights[n], 1800, 0, QStringLiteral("test.txt")));
    }
}

} // namespace BackupFixtures
