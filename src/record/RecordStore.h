#pragma once

#include "record/Fsrs.h"
#include "record/ProgressData.h"
#include "record/Schedule.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class QSqlDatabase;

// One answer in the typing test.
struct AnswerRecord
{
    QDateTime time;
    QString library;     // the name shown in the library lists
    QString libraryFile; // the file name in the data folder
    int group = 0;
    QString word;
    QString meaning; // kept so a word can later be sent to a box from the record
    int pass = 0;    // 0 = first try, n = re-test pass n
    bool right = false;
    qint64 milliseconds = 0; // from the meaning shown to Enter
    // The same time split where typing began; -1 when not measured.
    qint64 reactionMs = -1; // meaning shown to the first key
    qint64 typingMs = -1;   // first key to Enter
    int characters = 0;     // characters typed
};

enum class BoxEventKind { Added = 1, Deleted = 2 };

struct BoxEvent
{
    QDateTime time;
    BoxEventKind kind = BoxEventKind::Added;
    int box = -1; // the box a word was added to; -1 for a deletion
    QString library;
    QString libraryFile;
    QString word;
    QString meaning;
};

// The sentence of a text a word of a library made from that text was found
// in.
struct SourceSentence
{
    QString word;
    QString sentence;
};

// A word's `details` for a tooltip (phonetic, meaning; may be empty) with the
// sentence it was found in on a line of its own below them, as plain text;
// the details alone when there is no sentence.
QString withSourceLine(const QString &details, const QString &sentence);

// A word whose review is due.
struct DueWord
{
    QString library;
    QString libraryFile;
    QString word;
    QString meaning;
    QDateTime due;
    Fsrs::MemoryState state;
};

// The learning record: lexvan.db, an SQLite database in the program folder.
//
// Recording must never get in the way of a test. Every failure (a folder
// that cannot be written, a database locked by another copy of the program,
// a damaged file, a full disk) is reported once, by the call that met it,
// and from then on every write is a no-op that returns at once. Nothing here
// throws, and a lock held elsewhere is waited for only briefly.
//
// Each answer is one transaction, so a kill at any moment leaves either the
// whole answer or none of it; the journal is a write-ahead log.
class RecordStore
{
public:
    static QString fileName() { return QStringLiteral("lexvan.db"); }

    // The schema this program writes; older databases are brought up to it
    // when opened, newer ones are left alone.
    static constexpr int SchemaVersion = 3;

    enum class Status {
        Open,
        Unwritable, // the folder or file cannot be written (read-only, no room)
        Locked,     // another program holds the database
        Corrupt,    // the file is not a database or is damaged
        TooNew,     // written by a later version of the program
        NoDriver,   // Qt's SQLite driver is missing
        Failed,     // anything else
    };

    struct Outcome
    {
        Status status = Status::Failed;
        QString detail; // the database's own error text, for the log
        bool ok() const { return status == Status::Open; }
    };

    enum class WriteResult {
        Written,
        Off,    // not recording (never opened, or an earlier failure)
        Failed, // this write failed; recording is off from now on
    };

    // What to tell the user, once, when recording stops; empty for Open.
    static QString messageFor(Status status);

    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;

    // Opens (creating when missing) the database at `path`. `busyTimeoutMs`
    // is the longest a write waits for a lock held by another copy;
    // `setupTimeoutMs` the longest opening waits (copies started together
    // take turns creating or checking the schema).
    Outcome open(const QString &path, int busyTimeoutMs = 50, int setupTimeoutMs = 1000);
    // Opens an existing database for reading only: nothing is created,
    // migrated or written, and a running program's writes are never waited
    // for longer than `busyTimeoutMs`. Recording stays off.
    Outcome openReadOnly(const QString &path, int busyTimeoutMs = 0);
    void close();

    bool isRecording() const { return m_recording; }

    // Copies the write-ahead log into the database file. Done on open and
    // close; the owner may call it at a pause (the end of a group). Never
    // inside an answer's commit, where it would cost a sync.
    void checkpoint();
    // After this many answers without a checkpoint, one runs on a thread of
    // its own, so the log stays short in a long session without holding up
    // an answer.
    static constexpr int CheckpointEvery = 100;
    // Why recording stopped, or Open while it goes on.
    Outcome lastOutcome() const { return m_outcome; }

    // Records the answer; a first try also moves the word's memory state.
    WriteResult recordAnswer(const AnswerRecord &answer);
    // Several answers in one transaction: all of them or none.
    WriteResult recordAnswers(const QList<AnswerRecord> &answers);
    WriteResult recordBoxEvent(const BoxEvent &event);

    // Recomputes every word's memory state and due time from the answers
    // table, in one transaction, by the rules live answering follows (the
    // same replay, answers taken in the order they were given). For a
    // history that was merged or repaired.
    WriteResult rebuildMemoryStates();
    // The same rebuild on a record file someone else has merged answers
    // into, through a connection of the caller's that holds no transaction.
    // False (and `error`) when nothing was changed.
    static bool rebuildMemoryStates(QSqlDatabase &db, QString &error);

    // The user's median reaction and typing time per character over recent
    // right first tries, once there are enough of them to mean something.
    Fsrs::TimingMedians timingMedians() const { return m_replayer.medians(); }

    // Keeps the sentences the words of a library made from a text were found
    // in, replacing any the file had, in one transaction.
    WriteResult recordSourceSentences(const QString &libraryFile, const QList<SourceSentence> &sentences);
    // The sentence `word` of `libraryFile` was found in; with no file, any
    // library's. Empty when there is none (or no record).
    QString sourceSentence(const QString &libraryFile, const QString &word) const;

    std::optional<Fsrs::MemoryState> memoryState(const QString &libraryFile, const QString &word) const;
    std::optional<QDateTime> dueTime(const QString &libraryFile, const QString &word) const;

    // Words due at `now` for `retention`, the least likely to be recalled
    // first, at most `limit`. A word counted earlier the same study day is
    // not due again until the next.
    QList<DueWord> dueWords(const QDateTime &now, int limit, double retention = Fsrs::TargetRetention) const;
    int dueCount(const QDateTime &now, double retention = Fsrs::TargetRetention) const;
    // Words whose review (not their first answer) counted on study day `day`.
    int reviewsCountedOn(const QDate &day) const;

    // Every word's state, for forecasts.
    QList<Schedule::WordState> wordStates() const;
    // The words (lower case, over all libraries) whose memory stability is
    // at least `days`: remembered well enough to count as known.
    QSet<QString> wordsWithStability(double days) const;
    // When each word ever answered (by its spelling, over all libraries)
    // was first answered, ms since 1970, UTC.
    QHash<QString, qint64> firstAnswers() const;

    // Everything the progress window shows, for the libraries given.
    ProgressData progress(const QList<LibraryInfo> &libraries, const QDate &today) const;

    // Days in a row with answers (calendar days), up to today, or up to
    // yesterday while today has none yet.
    int studyStreak(const QDate &today) const;

    qint64 answerCount() const;
    qint64 boxEventCount() const;

    // Runs SQLite's full check; empty when the database is sound.
    QString integrityProblems() const;

private:
    class Private;
    std::unique_ptr<Private> d;
    bool m_recording = false;
    Outcome m_outcome;
    Schedule::Replayer m_replayer;
    int m_sinceCheckpoint = 0;

    WriteResult fail(const QString &what);
    bool writeAnswer(const AnswerRecord &answer);
    Outcome openOnce(const QString &path, int busyTimeoutMs, int setupTimeoutMs, bool &passing);
    void checkpointInBackground();
};

// How many records (word and meaning) the library file at `path` holds; 0
// when it cannot be read.
int countLibraryWords(const QString &path);
