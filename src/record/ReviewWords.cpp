#include "record/ReviewWords.h"

#include "library/WordFile.h"
#include "library/WordTable.h"
#include "record/RecordStore.h"

#include <QHash>

namespace {

struct Placed
{
    QString meaning;
    int group = 0;
};

// Every word of a library file with the group it falls in; empty when the
// file cannot be read. The first record of a word wins, as it is the one
// the test meets first.
QHash<QString, Placed> placesIn(const QString &path)
{
    QHash<QString, Placed> places;
    QByteArray bytes;
    if (!readWordFileBytes(path, bytes))
        return places;
    WordFileReader reader(std::move(bytes));
    QString word;
    QString meaning;
    for (int index = 0; reader.readRecord(word, meaning); ++index) {
        // A word without its meaning is not one the test can ask.
        if (meaning.isEmpty())
            break;
        if (!places.contains(word))
            places.insert(word, Placed{meaning, index / GroupSize + 1});
    }
    return places;
}

} // namespace

QList<ReviewWord> pickReviewWords(const RecordStore &store, const QString &dataDir, const QDateTime &now, int count,
                                  const std::function<QString(const QString &file)> &libraryOfFile)
{
    QList<ReviewWord> picked;
    if (count <= 0)
        return picked;
    QHash<QString, QHash<QString, Placed>> files;
    // Words passed over make room for later ones: ask for more until enough
    // are found or no more are due.
    for (int limit = count;; limit *= 2) {
        const QList<DueWord> due = store.dueWords(now, limit);
        picked.clear();
        for (const DueWord &candidate : due) {
            auto file = files.find(candidate.libraryFile);
            if (file == files.end())
                file = files.insert(candidate.libraryFile, placesIn(dataDir + QLatin1Char('/') + candidate.libraryFile));
            const auto place = file->constFind(candidate.word);
            if (place == file->constEnd())
                continue;
            QString library = libraryOfFile ? libraryOfFile(candidate.libraryFile) : QString();
            if (library.isEmpty())
                library = candidate.library;
            picked.append(ReviewWord{library, candidate.libraryFile, place->group, candidate.word, place->meaning});
            if (picked.size() == count)
                return picked;
        }
        if (due.size() < limit || limit > (1 << 24))
            return picked;
    }
}
