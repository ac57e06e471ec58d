#include "speech/RecordedWords.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kSuffix = QStringLiteral(".wav");

} // namespace

RecordedWords::RecordedWords(const QString &folder)
    : m_folder(folder)
{
}

QString RecordedWords::find(const QString &word)
{
    if (word.isEmpty() || word == QLatin1String(".") || word == QLatin1String("..") ||
        word.contains(QLatin1Char('/')) || word.contains(QLatin1Char('\\')) || word.contains(QChar(0)))
        return QString();

    // The usual case, a file named exactly as the word, needs no listing.
    QString exact = m_folder + QLatin1Char('/') + word + kSuffix;
    const QFileInfo exactInfo(exact);
    if (exactInfo.isFile())
        return exact;

    rescanIfChanged();
    const auto found = m_byWord.constFind(word.toLower());
    if (found == m_byWord.constEnd())
        return QString();
    return m_folder + QLatin1Char('/') + found.value();
}

void RecordedWords::rescanIfChanged()
{
    // A folder of thousands of recordings is listed once, and again only
    // when a file has been added, removed or renamed in it.
    const QFileInfo folderInfo(m_folder);
    const QDateTime modified = folderInfo.exists() ? folderInfo.lastModified() : QDateTime();
    if (m_scanned && modified == m_scannedAt)
        return;
    m_scanned = true;
    m_scannedAt = modified;
    m_byWord.clear();
    if (!folderInfo.isDir())
        return;
    const QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::Readable | QDir::Hidden);
    for (const QString &file : files) {
        if (file.size() <= kSuffix.size() || !file.endsWith(kSuffix, Qt::CaseInsensitive))
            continue;
        const QString word = file.left(file.size() - kSuffix.size()).toLower();
        // Of two files that differ only in case, the first in the listing wins.
        if (!m_byWord.contains(word))
            m_byWord.insert(word, file);
    }
}
