#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// One entry of the core dictionary.
struct DictionaryEntry
{
    QString word;
    // IPA, without slashes; may be empty.
    QString phonetic;
    // The full translation, one part of speech (or note) a line.
    QString translation;
    // Inflections, as "p:entered/d:entered/i:entering/3:enters".
    QString exchange;
    // Exam tags, space-separated ("cet4 cet6 ky").
    QString tags;
};

// The core dictionary shipped as data/ecdict-core.tsv: a few comment lines
// starting with '#', then one entry a line, five tab-separated columns
// (word, phonetic, translation, exchange, tags), sorted by the word's UTF-8
// bytes. In the translation a line break is written "\n" and a backslash
// "\\".
//
// Nothing is read until the first lookup: the program starts, and stays, as
// small as without a dictionary until someone asks for a word. Then the file
// is read once into one buffer and the start of each entry line noted (four
// bytes an entry); a lookup is a binary search over those, without
// allocating per entry. A missing, unreadable or damaged file leaves the
// dictionary empty: every lookup finds nothing.
class Dictionary
{
public:
    enum class State {
        NotLoaded, // no lookup yet
        Loaded,
        Missing,   // no file at any of the places, or it cannot be read
        Damaged,   // a line without five columns, or lines out of order
    };

    // `candidates`: the files to try, in order; the first that exists is used.
    explicit Dictionary(QStringList candidates = {});

    static QString fileName() { return QStringLiteral("ecdict-core.tsv"); }
    // Where the program looks: data/ in the folder the windows read word
    // libraries from (`dataDir`, normally "data" in the working folder),
    // then data/ beside the program.
    static QStringList standardPlaces(const QString &dataDir, const QString &programDir);

    // The entry for `word` as spelled, else for its lower-case form.
    std::optional<DictionaryEntry> lookup(const QString &word);
    // The one-line meaning a word library holds, made from the entry's
    // translation by the rules of the ready-made libraries (see
    // MeaningLine.h): "aux. 可能，也许；n. 力量，权力". Empty when the word is
    // not found.
    QString meaningLine(const QString &word);
    // meaningLine() of a dictionary shared with whoever holds the function
    // (an import that fills in the meanings of a plain word list); the file
    // is read on the first call. The function may be called from any thread.
    static std::function<QString(const QString &)> meaningLookup(std::shared_ptr<Dictionary> dictionary);
    // The word and its phonetic on one line, then (with `withMeaning`) its
    // full meaning, as plain text for a tooltip; empty when the word is not
    // found.
    QString describe(const QString &word, bool withMeaning = true);

    // Loads the file if that has not been tried yet. Safe from any thread,
    // as are the lookups.
    State load();
    State state() const { return m_state; }
    // The file used (or the first candidate, when none exists).
    QString path() const { return m_path; }
    int entryCount() const { return int(m_lines.size()); }
    // Calls `visit` with the word and exchange column (UTF-8, as stored) of
    // every entry that has inflections, in file order; loads the file first.
    // For indexes by inflection, which a file sorted by word cannot search.
    void forEachExchange(const std::function<void(QByteArrayView word, QByteArrayView exchange)> &visit);
    // The same for the exam tags column: every entry that has tags.
    void forEachTagged(const std::function<void(QByteArrayView word, QByteArrayView tags)> &visit);

    // Undoes the file's escapes in a translation: "\n" to a line break,
    // "\\" to a backslash; any other backslash is kept as it is.
    static QString unescape(const QByteArray &text);

private:
    State parse();
    void forEachWithColumn(int column, const std::function<void(QByteArrayView word, QByteArrayView value)> &visit);
    // The entry line whose word is exactly `key`, or -1.
    int find(const QByteArray &key) const;
    DictionaryEntry entryAt(int index) const;

    QStringList m_candidates;
    QString m_path;
    std::mutex m_loading;
    State m_state = State::NotLoaded;
    QByteArray m_data;
    // Offset of each entry line in m_data, in file order.
    std::vector<quint32> m_lines;
};
