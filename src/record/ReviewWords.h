#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

class RecordStore;

// A word of 今日复习, as the test window asks it and the record files it.
struct ReviewWord
{
    QString library;
    QString libraryFile;
    int group = 0; // the group of the library file that holds it now
    QString word;
    QString meaning; // as the library file has it now
};

// Up to `count` words due at `now`, the longest overdue first, read against
// their library files in `dataDir`: a word its file no longer holds (deleted,
// or the file gone) is passed over. `libraryOfFile` gives the name the
// library has in the lists today; without one the recorded name is kept.
QList<ReviewWord> pickReviewWords(const RecordStore &store, const QString &dataDir, const QDateTime &now, int count,
                                  const std::function<QString(const QString &file)> &libraryOfFile = {});
