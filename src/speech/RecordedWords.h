#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

// Finds the recording of a word: a file <word>.wav in one folder, the name
// matched without regard to case. Recordings beat the synthetic voice.
class RecordedWords
{
public:
    explicit RecordedWords(const QString &folder);

    // The recording's path, or empty text when there is none. A word that
    // could not be a file name (a path separator, "." or "..") has none.
    QString find(const QString &word);

    QString folder() const { return m_folder; }

private:
    void rescanIfChanged();

    QString m_folder;
    // Lower-cased word -> file name, rebuilt when the folder changes.
    QHash<QString, QString> m_byWord;
    QDateTime m_scannedAt;
    bool m_scanned = false;
};
