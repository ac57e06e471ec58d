#include "record/RecordStore.h"

#include "library/WordFile.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

QString nextConnectionName()
{
    static QAtomicInteger<int> counter;
    return QStringLiteral("lexivane-record-%1").arg(counter.fetchAndAddRelaxed(1));
}

// SQLite's result codes, as the Qt driver passes them on (an extended code
// carries its primary code in the low byte).
RecordStore::Status statusOf(const QSqlError &error)
{
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber) & 0xff;
    if (!isNumber)
        return RecordStore::Status::Failed;
    switch (code) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return RecordStore::Status::Locked;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return RecordStore::Status::Corrupt;
    case 8:  // SQLITE_READONLY
    case 10: // SQLITE_IOERR
    case 13: // SQLITE_FULL
    case 14: // SQLITE_CANTOPEN
    case 23: // SQLITE_AUTH
        return RecordStore::Status::Unwritable;
    default:
        return RecordStore::Status::Failed;
    }
}

qint64 dayOf(const QDateTime &time)
{
    return time.toLocalTime().date().toJulianDay();
}

// Each step brings the schema from version n to n + 1; a database is taken
// through every step it has not had yet, inside one transaction.
bool migrate(QSqlDatabase &db, int from, QSqlError &error)
{
    const QList<QStringList> steps = {
        // 0 -> 1: the first schema.
        {
            QStringLiteral("CREATE TABLE answers ("
                           " id INTEGER PRIMARY KEY,"
                           " at INTEGER NOT NULL," // ms since 1970, UTC
                           " library TEXT NOT NULL,"
                           " file TEXT NOT NULL,"
                           " grp INTEGER NOT NULL,"
                           " word TEXT NOT NULL,"
                           " meaning TEXT NOT NULL,"
                           " pass INTEGER NOT NULL,"
                           " correct INTEGER NOT NULL,"
                           " ms INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE box_events ("
                           " id INTEGER PRIMARY KEY,"
                           " at INTEGER NOT NULL,"
                           " kind INTEGER NOT NULL," // 1 added to a box, 2 deleted from a library
                           " box INTEGER NOT NULL,"
                           " library TEXT NOT NULL,"
                           " file TEXT NOT NULL,"
                           " word TEXT NOT NULL,"
                           " meaning TEXT NOT NULL)"),
            // Running totals per word and per day, kept in step with the
            // answers, so that the progress window never has to read the
            // whole history.
            QStringLiteral("CREATE TABLE words ("
                           " file TEXT NOT NULL,"
                           " word TEXT NOT NULL,"
                           " library TEXT NOT NULL,"
                           " meaning TEXT NOT NULL,"
                           " grp INTEGER NOT NULL,"
                           " answers INTEGER NOT NULL,"
                           " wrong INTEGER NOT NULL,"
                           " rights INTEGER NOT NULL,"
                           " total_ms INTEGER NOT NULL,"
                           " PRIMARY KEY (file, word)) WITHOUT ROWID"),
            QStringLiteral("CREATE TABLE days ("
                           " day INTEGER PRIMARY KEY," // Julian day of the local date
                           " answers INTEGER NOT NULL,"
                           " first_tries INTEGER NOT NULL,"
                           " first_right INTEGER NOT NULL)"),
            QStringLiteral("CREATE TABLE memory ("
                           " file TEXT NOT NULL,"
                           " word TEXT NOT NULL,"
                           " library TEXT NOT NULL,"
                           " meaning TEXT NOT NULL,"
                           " stability REAL NOT NULL,"
                           " difficulty REAL NOT NULL,"
                           " last_review INTEGER NOT NULL,"
                           " due INTEGER NOT NULL,"
                           " reviews INTEGER NOT NULL,"
                           " lapses INTEGER NOT NULL,"
                           " PRIMARY KEY (file, word)) WITHOUT ROWID"),
            QStringLiteral("CREATE INDEX memory_due ON memory (due)"),
        },
        // 1 -> 2: the answer time split where typing began, so that answers
        // are graded by reaction and by typing speed per character. Rows
        // from before keep -1 (not measured) and grade as before the split
        // could be made.
        {
            QStringLiteral("ALTER TABLE answers ADD COLUMN reaction_ms INTEGER NOT NULL DEFAULT -1"),
            QStringLiteral("ALTER TABLE answers ADD COLUMN typing_ms INTEGER NOT NULL DEFAULT -1"),
            QStringLiteral("ALTER TABLE answers ADD COLUMN chars INTEGER NOT NULL DEFAULT 0"),
            // Due words are taken by how likely they are recalled, worked
            // out from these columns: an index that holds them answers
            // without reading the rows.
            QStringLiteral("DROP INDEX memory_due"),
            QStringLiteral("CREATE INDEX memory_due ON memory (due, last_review, stability)"),
        },
        // 2 -> 3: the sentence each word of a library made from a text was
        // found in, so the windows can show a word in its context.
        {
            QStringLiteral("CREATE TABLE sources ("
                           " file TEXT NOT NULL,"
                           " word TEXT NOT NULL,"
                           " sentence TEXT NOT NULL,"
                           " PRIMARY KEY (file, word)) WITHOUT ROWID"),
            // A word in a box has lost its library: found by word alone,
            // on the GUI thread as the pointer rests on it.
            QStringLiteral("CREATE INDEX sources_word ON sources (word)"),
        },
    };
    QSqlQuery query(db);
    for (int version = from; version < int(steps.size()); ++version) {
        for (const QString &statement : steps[version]) {
            if (!query.exec(statement)) {
                error = query.lastError();
                return false;
            }
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(steps.size()))) {
        error = query.lastError();
        return false;
    }
    return true;
}

Schedule::Answer scheduleAnswer(qint64 at, int pass, bool right, qint64 reactionMs, qint64 typingMs, int characters)
{
    Schedule::Answer answer;
    answer.at = at;
    answer.pass = pass;
    answer.right = right;
    answer.timing.reactionMs = reactionMs;
    answer.timing.typingMs = typingMs;
    answer.timing.characters = characters;
    return answer;
}

// Recomputes the memory table from the answers table by the rules live
// answering follows; the caller holds the transaction. `replayer` comes out
// holding the medians a live store would hold after the last answer.
bool rebuildStates(QSqlDatabase &db, Schedule::Replayer &replayer, QSqlError &error)
{
    struct Row
    {
        QString library;
        QString meaning;
        Schedule::WordState state;
    };
    replayer.clear();
    QHash<QPair<QString, QString>, Row> rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The order the answers were given in; the id settles answers stamped
    // with the same millisecond.
    if (!query.exec(QStringLiteral("SELECT at, library, file, word, meaning, pass, correct, reaction_ms, typing_ms,"
                                   " chars FROM answers ORDER BY at, id"))) {
        error = query.lastError();
        return false;
    }
    while (query.next()) {
        const QPair<QString, QString> key{query.value(2).toString(), query.value(3).toString()};
        auto found = rows.find(key);
        std::optional<Schedule::WordState> previous;
        if (found != rows.end())
            previous = found->state;
        const std::optional<Schedule::WordState> next = replayer.apply(
            previous, scheduleAnswer(query.value(0).toLongLong(), query.value(5).toInt(), query.value(6).toInt() != 0,
                                     query.value(7).toLongLong(), query.value(8).toLongLong(), query.value(9).toInt()));
        if (!next)
            continue;
        if (found == rows.end())
            found = rows.insert(key, Row{});
        found->library = query.value(1).toString();
        found->meaning = query.value(4).toString();
        found->state = *next;
    }
    query.finish();
    if (!query.exec(QStringLiteral("DELETE FROM memory"))) {
        error = query.lastError();
        return false;
    }
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO memory (file, word, library, meaning, stability, difficulty,"
                                  " last_review, due, reviews, lapses) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
        insert.bindValue(0, row.key().first);
        insert.bindValue(1, row.key().second);
        insert.bindValue(2, row->library);
        insert.bindValue(3, row->meaning);
        insert.bindValue(4, row->state.memory.stability);
        insert.bindValue(5, row->state.memory.difficulty);
        insert.bindValue(6, row->state.lastReview);
        insert.bindValue(7, row->state.due);
        insert.bindValue(8, row->state.reviews);
        insert.bindValue(9, row->state.lapses);
        if (!insert.exec()) {
            error = insert.lastError();
            return false;
        }
    }
    return true;
}

} // namespace

class RecordStore::Private
{
public:
    QString connection;
    QSqlDatabase db;
    std::unique_ptr<QSqlQuery> insertAnswer;
    std::unique_ptr<QSqlQuery> upsertWord;
    std::unique_ptr<QSqlQuery> upsertDay;
    std::unique_ptr<QSqlQuery> selectMemory;
    std::unique_ptr<QSqlQuery> upsertMemory;
    std::unique_ptr<QSqlQuery> insertBoxEvent;
    QSqlError lastError;
    std::thread background;
    std::atomic<bool> backgroundDone{true};
    std::atomic<bool> stopBackground{false};

    bool exec(const QString &statement)
    {
        QSqlQuery query(db);
        if (query.exec(statement))
            return true;
        lastError = query.lastError();
        return false;
    }

    std::unique_ptr<QSqlQuery> prepare(const QString &statement)
    {
        auto query = std::make_unique<QSqlQuery>(db);
        if (!query->prepare(statement)) {
            lastError = query->lastError();
            return nullptr;
        }
        return query;
    }

    bool run(QSqlQuery &query)
    {
        if (query.exec())
            return true;
        lastError = query.lastError();
        return false;
    }

    void rollback()
    {
        QSqlQuery query(db);
        query.exec(QStringLiteral("ROLLBACK"));
    }

    void release()
    {
        insertAnswer.reset();
        upsertWord.reset();
        upsertDay.reset();
        selectMemory.reset();
        upsertMemory.reset();
        insertBoxEvent.reset();
        if (db.isValid())
            db.close();
        db = QSqlDatabase();
        if (!connection.isEmpty())
            QSqlDatabase::removeDatabase(connection);
        connection.clear();
    }
};

RecordStore::RecordStore()
    : d(std::make_unique<Private>())
{
    m_outcome = {Status::Failed, QStringLiteral("not opened")};
}

RecordStore::~RecordStore()
{
    close();
}

void RecordStore::close()
{
    if (d->background.joinable()) {
        d->stopBackground = true;
        d->background.join();
    }
    if (m_recording)
        checkpoint();
    d->release();
    m_recording = false;
}

RecordStore::Outcome RecordStore::openReadOnly(const QString &path, int busyTimeoutMs)
{
    close();
    m_replayer.clear();
    auto failed = [this](Status status, const QString &detail) {
        d->release();
        m_outcome = {status, detail};
        return m_outcome;
    };
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return failed(Status::NoDriver, QStringLiteral("the QSQLITE driver is not installed"));
    // Never created here: a reader that finds nothing has nothing to read.
    if (!QFileInfo(path).isFile())
        return failed(Status::Failed, QStringLiteral("no record at %1").arg(path));
    d->connection = nextConnectionName();
    d->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->connection);
    d->db.setDatabaseName(path);
    d->db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(std::max(0, busyTimeoutMs)));
    if (!d->db.open())
        return failed(statusOf(d->db.lastError()), d->db.lastError().text());
    QSqlQuery query(d->db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failed(statusOf(query.lastError()), query.lastError().text());
    const int version = query.value(0).toInt();
    query.finish();
    // The first schema has every column the reading queries use.
    if (version > SchemaVersion || version < 1)
        return failed(version > SchemaVersion ? Status::TooNew : Status::Failed,
                      QStringLiteral("schema version %1").arg(version));
    m_outcome = {Status::Open, QString()};
    return m_outcome;
}

int RecordStore::studyStreak(const QDate &today) const
{
    if (!d->db.isOpen())
        return 0;
    QSqlQuery query(d->db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT day FROM days WHERE answers > 0 AND day <= ? ORDER BY day DESC"));
    query.addBindValue(today.toJulianDay());
    if (!query.exec())
        return 0;
    // A day not studied yet does not break the run up to yesterday.
    qint64 expected = today.toJulianDay();
    int streak = 0;
    while (query.next()) {
        const qint64 day = query.value(0).toLongLong();
        if (streak == 0 && day == today.toJulianDay() - 1)
            expected = day;
        if (day != expected)
            break;
        ++streak;
        --expected;
    }
    return streak;
}

RecordStore::Outcome RecordStore::open(const QString &path, int busyTimeoutMs, int setupTimeoutMs)
{
    // Copies started together can meet a lock that SQLite reports at once,
    // without waiting (switching the journal, two readers both wanting to
    // write), or read a file another copy is creating that very moment.
    // Those pass; so the whole opening is tried again for a while.
    QElapsedTimer timer;
    timer.start();
    const bool existed = QFileInfo::exists(path);
    for (int attempt = 1;; ++attempt) {
        bool passing = false;
        Outcome outcome = openOnce(path, busyTimeoutMs, setupTimeoutMs, passing);
        if (!outcome.ok() && !existed && outcome.status == Status::Unwritable) {
            // A full disk lets SQLite create the file but not one byte of
            // it. The empty files are of no use and would only puzzle the
            // user; no other copy can be filling them while nothing can be
            // written.
            for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
                const QFileInfo left(path + suffix);
                if (left.isFile() && !left.isSymLink() && left.size() == 0)
                    QFile::remove(left.filePath());
            }
        }
        if (outcome.ok() || !passing || timer.elapsed() >= setupTimeoutMs)
            return outcome;
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * std::min(attempt, 10)));
    }
}

RecordStore::Outcome RecordStore::openOnce(const QString &path, int busyTimeoutMs, int setupTimeoutMs, bool &passing)
{
    close();
    m_replayer.clear();
    auto failed = [this](Status status, const QString &detail) {
        d->release();
        m_recording = false;
        m_outcome = {status, detail};
        return m_outcome;
    };
    auto failedWith = [&](const QSqlError &error) {
        bool isNumber = false;
        const int code = error.nativeErrorCode().toInt(&isNumber) & 0xff;
        passing = isNumber && (code == 5 || code == 6 || code == 10); // BUSY, LOCKED, IOERR
        return failed(statusOf(error), error.text());
    };

    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return failed(Status::NoDriver, QStringLiteral("the QSQLITE driver is not installed"));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return failed(Status::Corrupt, QStringLiteral("not a plain file"));

    d->connection = nextConnectionName();
    d->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->connection);
    d->db.setDatabaseName(path);
    d->db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(std::max(0, setupTimeoutMs)));
    if (!d->db.open())
        return failedWith(d->db.lastError());

    // The first read finds a file that is no database at all.
    QSqlQuery query(d->db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failedWith(query.lastError());
    const int version = query.value(0).toInt();
    query.finish();
    if (version > SchemaVersion)
        return failed(Status::TooNew, QStringLiteral("schema version %1").arg(version));

    if (!query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !query.next())
        return failedWith(query.lastError());
    // Without the log (a folder we cannot create files in) every write would
    // fail later, in the middle of a test; better to know now.
    if (query.value(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) != 0)
        return failed(Status::Unwritable, QStringLiteral("journal mode stays %1").arg(query.value(0).toString()));
    query.finish();
    // With a write-ahead log, NORMAL loses at most the last answers on a
    // power cut and never damages the file; FULL would sync on every answer.
    if (!d->exec(QStringLiteral("PRAGMA synchronous = NORMAL")))
        return failedWith(d->lastError);
    // SQLite copies the log back into the database (and syncs) inside
    // whichever commit makes the log long enough: a pause of tens of
    // milliseconds in the middle of a test. That copy is made at pauses
    // instead (opening, closing, checkpoint() between groups) and, in a long
    // session, on a thread of its own.
    if (!d->exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")))
        return failedWith(d->lastError);

    if (version < SchemaVersion) {
        if (!d->exec(QStringLiteral("BEGIN IMMEDIATE")))
            return failedWith(d->lastError);
        // A second copy started at the same moment may have brought the
        // schema up while we waited for the lock.
        int current = version;
        if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next())
            current = query.value(0).toInt();
        query.finish();
        QSqlError error;
        if (current < SchemaVersion && !migrate(d->db, current, error)) {
            d->rollback();
            return failedWith(error);
        }
        // States written by the first schema's rules counted every repeat of
        // a group and capped lapses too high; the answers say what the
        // states should be.
        Schedule::Replayer replayer;
        if (current >= 1 && current < 2 && !rebuildStates(d->db, replayer, error)) {
            d->rollback();
            return failedWith(error);
        }
        if (!d->exec(QStringLiteral("COMMIT"))) {
            d->rollback();
            return failedWith(d->lastError);
        }
    }

    // From here on a lock is waited for only briefly: an answer must never
    // hang on another copy of the program.
    if (!d->exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(std::max(0, busyTimeoutMs))))
        return failedWith(d->lastError);

    d->insertAnswer =
        d->prepare(QStringLiteral("INSERT INTO answers (at, library, file, grp, word, meaning, pass, correct, ms,"
                                  " reaction_ms, typing_ms, chars) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    d->upsertWord = d->prepare(
        QStringLiteral("INSERT INTO words (file, word, library, meaning, grp, answers, wrong, rights, total_ms)"
                       " VALUES (?, ?, ?, ?, ?, 1, ?, ?, ?)"
                       " ON CONFLICT (file, word) DO UPDATE SET library = excluded.library, meaning = excluded.meaning,"
                       " grp = excluded.grp, answers = answers + 1, wrong = wrong + excluded.wrong,"
                       " rights = rights + excluded.rights, total_ms = total_ms + excluded.total_ms"));
    d->upsertDay = d->prepare(QStringLiteral(
        "INSERT INTO days (day, answers, first_tries, first_right) VALUES (?, 1, ?, ?)"
        " ON CONFLICT (day) DO UPDATE SET answers = answers + 1, first_tries = first_tries + excluded.first_tries,"
        " first_right = first_right + excluded.first_right"));
    d->selectMemory = d->prepare(QStringLiteral("SELECT stability, difficulty, last_review, due, reviews, lapses"
                                                " FROM memory WHERE file = ? AND word = ?"));
    d->upsertMemory = d->prepare(QStringLiteral(
        "INSERT INTO memory (file, word, library, meaning, stability, difficulty, last_review, due, reviews, lapses)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
        " ON CONFLICT (file, word) DO UPDATE SET library = excluded.library, meaning = excluded.meaning,"
        " stability = excluded.stability, difficulty = excluded.difficulty, last_review = excluded.last_review,"
        " due = excluded.due, reviews = excluded.reviews, lapses = excluded.lapses"));
    d->insertBoxEvent = d->prepare(QStringLiteral(
        "INSERT INTO box_events (at, kind, box, library, file, word, meaning) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    if (!d->insertAnswer || !d->upsertWord || !d->upsertDay || !d->selectMemory || !d->upsertMemory ||
        !d->insertBoxEvent)
        return failedWith(d->lastError);

    // The newest right first tries the medians take in, in the order a
    // rebuild replays them, so live grading picks up where it left off.
    if (!query.exec(QStringLiteral("SELECT reaction_ms, typing_ms, chars FROM answers WHERE pass = 0 AND correct = 1"
                                   " AND reaction_ms >= 0 AND typing_ms >= 0 AND chars > 0"
                                   " AND reaction_ms + typing_ms <= %1 ORDER BY at DESC, id DESC LIMIT %2")
                        .arg(Fsrs::PauseCapMs)
                        .arg(Schedule::Replayer::MedianWindow)))
        return failedWith(query.lastError());
    QList<Fsrs::AnswerTiming> recent;
    while (query.next())
        recent.append({query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toInt()});
    query.finish();
    for (auto timing = recent.crbegin(); timing != recent.crend(); ++timing)
        m_replayer.noteTiming(*timing);

    m_recording = true;
    m_outcome = {Status::Open, QString()};
    checkpoint();
    return m_outcome;
}

void RecordStore::checkpoint()
{
    // PASSIVE never waits for another copy's readers; what it cannot copy
    // now is copied next time. A failure here loses nothing.
    if (m_recording)
        d->exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    m_sinceCheckpoint = 0;
}

void RecordStore::checkpointInBackground()
{
    if (d->background.joinable()) {
        // The previous copy is still running: leave it be and try again a
        // little later rather than wait for it here.
        if (!d->backgroundDone.load())
            return;
        d->background.join();
    }
    m_sinceCheckpoint = 0;
    d->backgroundDone = false;
    const QString path = d->db.databaseName();
    // A connection of the thread's own: a Qt SQL connection belongs to the
    // thread that made it. A writer never waits for a PASSIVE checkpoint.
    //
    // The log starts over only when an answer finds every frame in it
    // copied, so the copy is repeated (a copy of a copied log costs nothing)
    // until the log has started over, for three seconds at most, or until
    // close().
    d->stopBackground = false;
    d->background = std::thread([path, done = &d->backgroundDone, stop = &d->stopBackground] {
        const QString name = nextConnectionName();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            if (db.open()) {
                QSqlQuery query(db);
                int longest = 0;
                for (int attempt = 0; attempt < 150 && !stop->load(); ++attempt) {
                    if (!query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")) || !query.next())
                        break;
                    const int frames = query.value(1).toInt();
                    query.finish();
                    // A shorter log than before means it has started over.
                    if (frames < longest)
                        break;
                    longest = frames;
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                query.finish();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        done->store(true);
    });
}

RecordStore::WriteResult RecordStore::fail(const QString &what)
{
    d->rollback();
    m_recording = false;
    m_outcome = {statusOf(d->lastError), what + QStringLiteral(": ") + d->lastError.text()};
    return WriteResult::Failed;
}

RecordStore::WriteResult RecordStore::recordAnswer(const AnswerRecord &answer)
{
    return recordAnswers({answer});
}

RecordStore::WriteResult RecordStore::recordAnswers(const QList<AnswerRecord> &answers)
{
    if (!m_recording)
        return WriteResult::Off;
    if (!d->exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(QStringLiteral("begin"));
    const Schedule::Replayer replayerBefore = m_replayer;
    for (const AnswerRecord &answer : answers) {
        if (!writeAnswer(answer)) {
            // The median goes back with the answers it had taken in.
            m_replayer = replayerBefore;
            return fail(QStringLiteral("answer"));
        }
    }
    if (!d->exec(QStringLiteral("COMMIT"))) {
        m_replayer = replayerBefore;
        return fail(QStringLiteral("commit"));
    }
    // An owner that never pauses still gets a bounded log (a few MB).
    m_sinceCheckpoint += int(answers.size());
    if (m_sinceCheckpoint >= CheckpointEvery)
        checkpointInBackground();
    return WriteResult::Written;
}

bool RecordStore::writeAnswer(const AnswerRecord &answer)
{
    // An answer without a time happened now; a null time would land on a
    // day thousands of years ago and never fall due in order.
    const QDateTime time = answer.time.isValid() ? answer.time : QDateTime::currentDateTime();
    const qint64 at = time.toMSecsSinceEpoch();
    const qint64 ms = std::max<qint64>(0, answer.milliseconds);
    const int wrong = answer.right ? 0 : 1;
    const bool firstTry = answer.pass == 0;

    QSqlQuery &insert = *d->insertAnswer;
    insert.bindValue(0, at);
    insert.bindValue(1, answer.library);
    insert.bindValue(2, answer.libraryFile);
    insert.bindValue(3, answer.group);
    insert.bindValue(4, answer.word);
    insert.bindValue(5, answer.meaning);
    insert.bindValue(6, answer.pass);
    insert.bindValue(7, answer.right ? 1 : 0);
    insert.bindValue(8, ms);
    insert.bindValue(9, answer.reactionMs);
    insert.bindValue(10, answer.typingMs);
    insert.bindValue(11, answer.characters);
    if (!d->run(insert))
        return false;

    QSqlQuery &word = *d->upsertWord;
    word.bindValue(0, answer.libraryFile);
    word.bindValue(1, answer.word);
    word.bindValue(2, answer.library);
    word.bindValue(3, answer.meaning);
    word.bindValue(4, answer.group);
    word.bindValue(5, wrong);
    word.bindValue(6, 1 - wrong);
    word.bindValue(7, ms);
    if (!d->run(word))
        return false;

    QSqlQuery &day = *d->upsertDay;
    day.bindValue(0, dayOf(time));
    day.bindValue(1, firstTry ? 1 : 0);
    day.bindValue(2, firstTry && answer.right ? 1 : 0);
    if (!d->run(day))
        return false;

    // Only the first try of the study day says how well the word was
    // remembered; the re-test passes come straight after the right answer
    // was shown, and a repeated group would count a word again and again.
    if (firstTry) {
        QSqlQuery &select = *d->selectMemory;
        select.bindValue(0, answer.libraryFile);
        select.bindValue(1, answer.word);
        if (!d->run(select))
            return false;
        std::optional<Schedule::WordState> previous;
        if (select.next()) {
            previous = Schedule::WordState{{select.value(0).toDouble(), select.value(1).toDouble()},
                                           select.value(2).toLongLong(),
                                           select.value(3).toLongLong(),
                                           select.value(4).toInt(),
                                           select.value(5).toInt()};
        }
        select.finish();
        const std::optional<Schedule::WordState> next = m_replayer.apply(
            previous, scheduleAnswer(at, answer.pass, answer.right, answer.reactionMs, answer.typingMs,
                                     answer.characters));
        if (next) {
            QSqlQuery &memory = *d->upsertMemory;
            memory.bindValue(0, answer.libraryFile);
            memory.bindValue(1, answer.word);
            memory.bindValue(2, answer.library);
            memory.bindValue(3, answer.meaning);
            memory.bindValue(4, next->memory.stability);
            memory.bindValue(5, next->memory.difficulty);
            memory.bindValue(6, next->lastReview);
            memory.bindValue(7, next->due);
            memory.bindValue(8, next->reviews);
            memory.bindValue(9, next->lapses);
            if (!d->run(memory))
                return false;
        }
    }
    return true;
}

RecordStore::WriteResult RecordStore::rebuildMemoryStates()
{
    if (!m_recording)
        return WriteResult::Off;
    if (!d->exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(QStringLiteral("begin"));
    Schedule::Replayer replayer;
    if (!rebuildStates(d->db, replayer, d->lastError))
        return fail(QStringLiteral("rebuild"));
    if (!d->exec(QStringLiteral("COMMIT")))
        return fail(QStringLiteral("commit"));
    m_replayer = replayer;
    return WriteResult::Written;
}

bool RecordStore::rebuildMemoryStates(QSqlDatabase &db, QString &error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        error = query.lastError().text();
        return false;
    }
    Schedule::Replayer replayer;
    QSqlError failure;
    if (rebuildStates(db, replayer, failure) && query.exec(QStringLiteral("COMMIT")))
        return true;
    error = failure.isValid() ? failure.text() : query.lastError().text();
    query.exec(QStringLiteral("ROLLBACK"));
    return false;
}

RecordStore::WriteResult RecordStore::recordBoxEvent(const BoxEvent &event)
{
    if (!m_recording)
        return WriteResult::Off;
    QSqlQuery &insert = *d->insertBoxEvent;
    insert.bindValue(0, (event.time.isValid() ? event.time : QDateTime::currentDateTime()).toMSecsSinceEpoch());
    insert.bindValue(1, int(event.kind));
    insert.bindValue(2, event.kind == BoxEventKind::Added ? event.box : -1);
    insert.bindValue(3, event.library);
    insert.bindValue(4, event.libraryFile);
    insert.bindValue(5, event.word);
    insert.bindValue(6, event.meaning);
    if (!d->run(insert))
        return fail(QStringLiteral("box event"));
    return WriteResult::Written;
}

RecordStore::WriteResult RecordStore::recordSourceSentences(const QString &libraryFile,
                                                            const QList<SourceSentence> &sentences)
{
    if (!m_recording)
        return WriteResult::Off;
    if (!d->exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(QStringLiteral("begin"));
    QSqlQuery insert(d->db);
    // A library file name used again (the old file removed, a new one made
    // under its name) takes the new sentences: the old ones belong to words
    // that may no longer be there.
    insert.prepare(QStringLiteral("DELETE FROM sources WHERE file = ?"));
    insert.addBindValue(libraryFile);
    if (!d->run(insert))
        return fail(QStringLiteral("sources"));
    insert.prepare(QStringLiteral("INSERT OR REPLACE INTO sources (file, word, sentence) VALUES (?, ?, ?)"));
    for (const SourceSentence &source : sentences) {
        if (source.word.isEmpty() || source.sentence.isEmpty())
            continue;
        insert.bindValue(0, libraryFile);
        insert.bindValue(1, source.word);
        insert.bindValue(2, source.sentence);
        if (!d->run(insert))
            return fail(QStringLiteral("sources"));
    }
    if (!d->exec(QStringLiteral("COMMIT")))
        return fail(QStringLiteral("commit"));
    return WriteResult::Written;
}

QString RecordStore::sourceSentence(const QString &libraryFile, const QString &word) const
{
    if (!d->db.isOpen() || word.isEmpty())
        return {};
    QSqlQuery query(d->db);
    query.setForwardOnly(true);
    if (libraryFile.isEmpty()) {
        // A word in a box no longer says which library it came from: any
        // text it was found in will do.
        query.prepare(QStringLiteral("SELECT sentence FROM sources WHERE word = ? LIMIT 1"));
    } else {
        query.prepare(QStringLiteral("SELECT sentence FROM sources WHERE file = ? AND word = ?"));
        query.addBindValue(libraryFile);
    }
    query.addBindValue(word);
    if (!query.exec() || !query.next())
        return {};
    return query.value(0).toString();
}

std::optional<Fsrs::MemoryState> RecordStore::memoryState(const QString &libraryFile, const QString &word) const
{
    if (!d->db.isOpen())
        return std::nullopt;
    QSqlQuery query(d->db);
    query.prepare(QStringLiteral("SELECT stability, difficulty FROM memory WHERE file = ? AND word = ?"));
    query.addBindValue(libraryFile);
    query.addBindValue(word);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return Fsrs::MemoryState{query.value(0).toDouble(), query.value(1).toDouble()};
}

std::optional<QDateTime> RecordStore::dueTime(const QString &libraryFile, const QString &word) const
{
    if (!d->db.isOpen())
        return std::nullopt;
    QSqlQuery query(d->db);
    query.prepare(QStringLiteral("SELECT due FROM memory WHERE file = ? AND word = ?"));
    query.addBindValue(libraryFile);
    query.addBindValue(word);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong(), Qt::UTC);
}

namespace {

// The due test for `retention`, and its bound values. At the usual
// retention it is the stored due time; a higher one falls due sooner, when
// the elapsed time reaches the interval that retention gives. A word already
// counted this study day waits for the next one: answering it again today
// would move nothing.
QString dueCondition(double retention)
{
    QString condition = QStringLiteral("last_review < :dayStart AND (due <= :now");
    if (retention > Fsrs::TargetRetention)
        condition += QStringLiteral(" OR (:now - last_review) >= stability * :msPerStability");
    return condition + QLatin1Char(')');
}

void bindDue(QSqlQuery &query, const QDateTime &now, double retention)
{
    const qint64 ms = now.toMSecsSinceEpoch();
    query.bindValue(QStringLiteral(":dayStart"),
                    Schedule::studyDayStart(Schedule::studyDay(ms)).toMSecsSinceEpoch());
    query.bindValue(QStringLiteral(":now"), ms);
    if (retention > Fsrs::TargetRetention)
        query.bindValue(QStringLiteral(":msPerStability"),
                        Fsrs::intervalPerStability(retention) * Schedule::MillisecondsPerDay);
}

} // namespace

QList<DueWord> RecordStore::dueWords(const QDateTime &now, int limit, double retention) const
{
    QList<DueWord> words;
    if (!d->db.isOpen() || limit <= 0)
        return words;
    QSqlQuery query(d->db);
    query.setForwardOnly(true);
    // The least likely to be recalled first: recall falls with the time since
    // the last review over the stability, so that ratio orders them. With a
    // backlog, a word nearly forgotten is not kept waiting behind one that
    // fell due earlier but is still well held. The file and word break ties
    // so the order never depends on the storage.
    // The inner query reads the index alone; only the words taken are read
    // from the table.
    query.prepare(QStringLiteral("SELECT m.library, m.file, m.word, m.meaning, m.due, m.stability, m.difficulty FROM"
                                 " (SELECT file, word, (:now - last_review) / max(stability, 1e-9) AS overdue"
                                 " FROM memory WHERE ") +
                  dueCondition(retention) +
                  QStringLiteral(" ORDER BY overdue DESC, file, word LIMIT :limit) t"
                                 " JOIN memory m ON m.file = t.file AND m.word = t.word"
                                 " ORDER BY t.overdue DESC, t.file, t.word"));
    bindDue(query, now, retention);
    query.bindValue(QStringLiteral(":limit"), limit);
    if (!query.exec())
        return words;
    while (query.next()) {
        words.append({query.value(0).toString(),
                      query.value(1).toString(),
                      query.value(2).toString(),
                      query.value(3).toString(),
                      QDateTime::fromMSecsSinceEpoch(query.value(4).toLongLong(), Qt::UTC),
                      {query.value(5).toDouble(), query.value(6).toDouble()}});
    }
    return words;
}

int RecordStore::dueCount(const QDateTime &now, double retention) const
{
    if (!d->db.isOpen())
        return 0;
    QSqlQuery query(d->db);
    query.prepare(QStringLiteral("SELECT count(*) FROM memory WHERE ") + dueCondition(retention));
    bindDue(query, now, retention);
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toInt();
}

int RecordStore::reviewsCountedOn(const QDate &day) const
{
    if (!d->db.isOpen())
        return 0;
    QSqlQuery query(d->db);
    // A word whose first counted answer was today is new today, not reviewed.
    query.prepare(QStringLiteral("SELECT count(*) FROM memory WHERE last_review >= ? AND last_review < ? AND reviews > 1"));
    query.addBindValue(Schedule::studyDayStart(day).toMSecsSinceEpoch());
    query.addBindValue(Schedule::studyDayStart(day.addDays(1)).toMSecsSinceEpoch());
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toInt();
}

QList<Schedule::WordState> RecordStore::wordStates() const
{
    QList<Schedule::WordState> states;
    if (!d->db.isOpen())
        return states;
    QSqlQuery query(d->db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT stability, difficulty, last_review, due, reviews, lapses FROM memory")))
        return states;
    while (query.next()) {
        states.append({{query.value(0).toDouble(), query.value(1).toDouble()},
                       query.value(2).toLongLong(),
                       query.value(3).toLongLong(),
                       query.value(4).toInt(),
                       query.value(5).toInt()});
    }
    return states;
}

QSet<QString> RecordStore::wordsWithStability(double days) const
{
    QSet<QString> words;
    if (!d->db.isOpen())
        return words;
    QSqlQuery query(d->db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT DISTINCT word FROM memory WHERE stability >= ?"));
    query.addBindValue(days);
    if (!query.exec())
        return words;
    while (query.next())
        words.insert(query.value(0).toString().toLower());
    return words;
}

QHash<QString, qint64> RecordStore::firstAnswers() const
{
    QHash<QString, qint64> met;
    if (!d->db.isOpen())
        return met;
    QSqlQuery query(d->db);
    query.setForwardOnly(true);
    // By spelling, whatever library the word was asked from: a word met in
    // one book is not new in another.
    if (!query.exec(QStringLiteral("SELECT word, min(at) FROM answers GROUP BY word")))
        return met;
    while (query.next())
        met.insert(query.value(0).toString(), query.value(1).toLongLong());
    return met;
}

qint64 RecordStore::answerCount() const
{
    if (!d->db.isOpen())
        return 0;
    QSqlQuery query(d->db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM answers")) || !query.next())
        return 0;
    return query.value(0).toLongLong();
}

qint64 RecordStore::boxEventCount() const
{
    if (!d->db.isOpen())
        return 0;
    QSqlQuery query(d->db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM box_events")) || !query.next())
        return 0;
    return query.value(0).toLongLong();
}

QString RecordStore::integrityProblems() const
{
    if (!d->db.isOpen())
        return QStringLiteral("not open");
    QSqlQuery query(d->db);
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")))
        return query.lastError().text();
    QStringList problems;
    while (query.next())
        problems << query.value(0).toString();
    if (problems == QStringList{QStringLiteral("ok")})
        return QString();
    return problems.join(u'\n');
}

ProgressData RecordStore::progress(const QList<LibraryInfo> &libraries, const QDate &today) const
{
    ProgressData data;
    // Without a valid day there is no calendar to count on.
    data.today = today.isValid() ? today : QDate::currentDate();
    data.dailyAnswers.fill(0, ProgressData::Days);
    const QDate firstWeek = data.today.addDays(1 - data.today.dayOfWeek()).addDays(-7 * (ProgressData::Weeks - 1));
    for (int week = 0; week < ProgressData::Weeks; ++week)
        data.weeks.append({firstWeek.addDays(7 * week), 0, 0});
    for (const LibraryInfo &library : libraries) {
        LibraryProgress row;
        row.name = library.name;
        row.file = library.file;
        row.wordsTotal = std::max(0, library.wordCount);
        row.groupsTotal = (row.wordsTotal + 24) / 25;
        data.libraries.append(row);
    }
    if (!d->db.isOpen())
        return data;

    QSqlQuery query(d->db);
    query.setForwardOnly(true);
    const qint64 firstDay = std::min(data.firstDay().toJulianDay(), firstWeek.toJulianDay());
    query.prepare(
        QStringLiteral("SELECT day, answers, first_tries, first_right FROM days WHERE day >= ? AND day <= ?"));
    query.addBindValue(firstDay);
    query.addBindValue(data.today.toJulianDay());
    if (query.exec()) {
        const qint64 heatStart = data.firstDay().toJulianDay();
        while (query.next()) {
            const qint64 day = query.value(0).toLongLong();
            if (day >= heatStart)
                data.dailyAnswers[day - heatStart] += query.value(1).toInt();
            const qint64 week = (day - firstWeek.toJulianDay()) / 7;
            if (day >= firstWeek.toJulianDay() && week < ProgressData::Weeks) {
                data.weeks[week].firstTries += query.value(2).toInt();
                data.weeks[week].firstTriesRight += query.value(3).toInt();
            }
        }
    }

    // Met words and right words per group, for each library asked about.
    QSqlQuery perGroup(d->db);
    perGroup.setForwardOnly(true);
    perGroup.prepare(QStringLiteral("SELECT grp, count(*), sum(rights > 0) FROM words WHERE file = ? GROUP BY grp"));
    for (LibraryProgress &row : data.libraries) {
        perGroup.addBindValue(row.file);
        if (!perGroup.exec())
            continue;
        int met = 0;
        while (perGroup.next()) {
            const int group = perGroup.value(0).toInt();
            met += perGroup.value(1).toInt();
            const int right = perGroup.value(2).toInt();
            if (group < 1 || group > row.groupsTotal)
                continue;
            const int groupSize = std::min(25, row.wordsTotal - (group - 1) * 25);
            if (right >= groupSize)
                ++row.groupsCompleted;
        }
        // Words since deleted from the library still count as met, but a
        // bar never runs past its end.
        row.wordsMet = std::min(met, row.wordsTotal);
    }

    // The sentences are looked up for the chosen words only: the limit inside
    // keeps SQLite from joining every word of the record before sorting.
    query.prepare(QStringLiteral(
        "SELECT h.library, h.file, h.word, h.meaning, h.wrong, h.answers, h.average, coalesce(s.sentence, '')"
        " FROM (SELECT library, file, word, meaning, wrong, answers, total_ms / answers AS average FROM words"
        " ORDER BY wrong DESC, average DESC, file, word LIMIT ?) h"
        " LEFT JOIN sources s ON s.file = h.file AND s.word = h.word"
        " ORDER BY h.wrong DESC, h.average DESC, h.file, h.word"));
    query.addBindValue(ProgressData::HardestCount);
    if (query.exec()) {
        while (query.next()) {
            data.hardest.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                                 query.value(3).toString(), query.value(4).toInt(), query.value(5).toInt(),
                                 query.value(6).toLongLong(), query.value(7).toString()});
        }
    }

    if (query.exec(QStringLiteral("SELECT coalesce(sum(answers), 0) FROM days")) && query.next())
        data.totalAnswers = query.value(0).toLongLong();
    return data;
}

QString RecordStore::messageFor(Status status)
{
    switch (status) {
    case Status::Open:
        return QString();
    case Status::Unwritable:
        return QStringLiteral("无法写入学习记录文件 lexvan.db，本次学习不做记录！");
    case Status::Locked:
        return QStringLiteral("学习记录文件 lexvan.db 正被另一个程序使用，本次学习不做记录！");
    case Status::Corrupt:
        return QStringLiteral("学习记录文件 lexvan.db 已损坏，本次学习不做记录！");
    case Status::TooNew:
        return QStringLiteral("学习记录文件 lexvan.db 来自更新版本的程序，本次学习不做记录！");
    case Status::NoDriver:
        return QStringLiteral("缺少 SQLite 数据库驱动，本次学习不做记录！");
    case Status::Failed:
        break;
    }
    return QStringLiteral("学习记录出错，本次学习不做记录！");
}

QString withSourceLine(const QString &details, const QString &sentence)
{
    if (sentence.isEmpty())
        return details;
    const QString line = QStringLiteral("原文：") + sentence;
    return details.isEmpty() ? line : details + u'\n' + line;
}

int countLibraryWords(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return 0;
    WordFileReader reader(file.readAll());
    int count = 0;
    // A record is a word line and a meaning line; a last word without its
    // meaning is not a word the test can ask.
    while (reader.skipNonEmptyLines(2) == 2)
        ++count;
    return count;
}
