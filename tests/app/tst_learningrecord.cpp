#include "ProgramFolder.h"
#include "RecordFixtures.h"
#include "RecordingDialogs.h"

#include "app/LexivaneApp.h"
#include "boxes/Form2.h"
#include "record/RecordStore.h"
#include "recordui/ExamPlanDialog.h"
#include "recordui/ProgressWindow.h"
#include "settings/LibraryRegistry.h"
#include "typing/Form1.h"

#include <QComboBox>
#include <QDateEdit>
#include <QSpinBox>

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QLineEdit>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using RecordFixtures::Inspector;

// The program on a folder with one three-word library, its test window
// showing and group 1 loaded.
class Fixture
{
public:
    // `seed`, when given, writes a history into lexvan.db before the program
    // opens it.
    explicit Fixture(bool blockRecord = false, int libraryWords = 3,
                     const std::function<void(RecordStore &)> &seed = {})
    {
        folder.writeIni(ProgramFolder::oneLibraryIni());
        folder.writeNumberedLibrary(QStringLiteral("test.txt"), libraryWords);
        if (seed) {
            RecordStore store;
            if (!store.open(dbPath()).ok())
                qFatal("cannot seed the record");
            seed(store);
        }
        // A folder where the database file should be: it can be neither
        // created nor opened, whoever runs the test.
        if (blockRecord)
            QDir(folder.path()).mkdir(RecordStore::fileName());
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs);
        form = app->form1();
        form->show();
        QLineEdit *group = form->findChild<QLineEdit *>(QStringLiteral("Text2"));
        group->setText(QStringLiteral("1"));
        QTest::keyClick(group, Qt::Key_Return);
    }

    void answer(const QString &typed) const
    {
        QLineEdit *box = form->findChild<QLineEdit *>(QStringLiteral("Text1"));
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // Opens the book menu and returns its item named `name`.
    QAction *menuItem(const QString &name) const
    {
        QTest::mouseClick(form->findChild<QLabel *>(QStringLiteral("Picture1")), Qt::LeftButton, {}, QPoint(10, 10));
        if (!app->bookMenu())
            return nullptr;
        return app->bookMenu()->findChild<QAction *>(name);
    }

    // Answers the word being asked, right or wrong.
    void answerCurrent(bool right) const { answer(right ? form->test().current().Word : QStringLiteral("nope")); }

    QByteArray iniBytes() const
    {
        QFile file(folder.iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString dbPath() const { return folder.path() + QStringLiteral("/lexvan.db"); }

    int recordMessages() const
    {
        int count = 0;
        for (const QString &text : dialogs.messages)
            count += text.contains(QStringLiteral("lexvan.db")) ? 1 : 0;
        return count;
    }

    ProgramFolder folder;
    RecordingDialogs dialogs;
    std::unique_ptr<LexivaneApp> app;
    Form1 *form = nullptr;
};

} // namespace

class TestLearningRecord : public QObject
{
    Q_OBJECT

private slots:
    void typingRoundWritesOneRowPerAnswer()
    {
        Fixture f;
        QVERIFY(f.app->record().isRecording());
        QCOMPARE(f.form->wordCount(), qint16(3));
        f.dialogs.answers << false; // at the end: test the group again
        f.answer(QStringLiteral("word1"));
        f.answer(QStringLiteral("wrong"));
        f.answer(QStringLiteral("word3"));
        f.answer(QStringLiteral("word2")); // the re-test pass
        QCOMPARE(f.dialogs.questions.size(), 1);
        QCOMPARE(f.app->record().answerCount(), qint64(4));

        Inspector db(f.dbPath());
        QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM answers WHERE library = '测试词库' AND file = "
                                         "'test.txt' AND grp = 1"))
                     .toInt(),
                 4);
        const struct {
            const char *where;
            int rows;
        } expected[] = {
            {"word = 'word1' AND pass = 0 AND correct = 1", 1},
            {"word = 'word2' AND pass = 0 AND correct = 0", 1},
            {"word = 'word2' AND pass = 1 AND correct = 1", 1},
            {"word = 'word3' AND pass = 0 AND correct = 1", 1},
            {"meaning = '释义2'", 2},
            {"ms < 0", 0},
        };
        for (const auto &row : expected)
            QVERIFY2(db.value(QStringLiteral("SELECT COUNT(*) FROM answers WHERE ") + QString::fromUtf8(row.where))
                             .toInt()
                         == row.rows,
                     row.where);
        // The first tries moved the words' memory; the re-test did not add one.
        QVERIFY(f.app->record().memoryState(QStringLiteral("test.txt"), QStringLiteral("word2")).has_value());
        QCOMPARE(f.recordMessages(), 0);
    }

    void unusableRecordIsSaidOnceAndTheTestGoesOn()
    {
        Fixture f(true);
        QVERIFY(!f.app->record().isRecording());
        QCOMPARE(f.recordMessages(), 1);
        f.dialogs.answers << true;
        f.answer(QStringLiteral("word1"));
        f.answer(QStringLiteral("wrong"));
        QVERIFY(f.dialogs.messages.contains(QStringLiteral("错误！正确答案是：word2")));
        f.answer(QStringLiteral("word3"));
        f.answer(QStringLiteral("word2"));
        QCOMPARE(f.dialogs.questions.size(), 1);
        QCOMPARE(f.recordMessages(), 1);
        QCOMPARE(f.app->record().answerCount(), qint64(0));
    }

    void boxAddsAndDeletionsAreEvents()
    {
        Fixture f;
        QVERIFY(f.app->openBoxWindow());
        Form2 *boxes = f.app->boxWindow();
        boxes->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("1"));
        boxes->loadGroup();
        QCOMPARE(boxes->wordCount(), qint16(3));
        boxes->dropOnBox(2, 0);
        boxes->dropOnDeleteTarget(1);
        QCOMPARE(f.app->record().boxEventCount(), qint64(2));
        Inspector db(f.dbPath());
        QCOMPARE(db.value(QStringLiteral("SELECT word || '/' || box FROM box_events WHERE kind = %1")
                              .arg(int(BoxEventKind::Added)))
                     .toString(),
                 QStringLiteral("word1/2"));
        QCOMPARE(db.value(QStringLiteral("SELECT word || '/' || file FROM box_events WHERE kind = %1")
                              .arg(int(BoxEventKind::Deleted)))
                     .toString(),
                 QStringLiteral("word2/test.txt"));
    }

    void menuOpensTheRecordWindowWhoseWordsGoToABox()
    {
        Fixture f;
        f.dialogs.answers << false;
        f.answer(QStringLiteral("wrong"));
        f.answer(QStringLiteral("word2"));
        f.answer(QStringLiteral("word3"));
        f.answer(QStringLiteral("word1"));
        QAction *item = f.menuItem(QStringLiteral("progressAction"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("学习记录"));
        item->trigger();
        ProgressWindow *window = f.app->progressWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->data().totalAnswers, qint64(4));
        QVERIFY(!window->data().hardest.isEmpty());
        QCOMPARE(window->data().hardest.first().word, QStringLiteral("word1"));
        QCOMPARE(window->data().libraries.first().wordsTotal, 3);

        // The hardest word into box 3 (0-based), through the window's button.
        window->hardestTable()->selectRow(0);
        window->findChild<QComboBox *>(QStringLiteral("boxChoice"))->setCurrentIndex(3);
        const qsizetype said = f.dialogs.messages.size();
        window->findChild<QPushButton *>(QStringLiteral("sendToBox"))->click();
        QFile box(f.folder.dataPath(LibraryRegistry::boxFileName(3)));
        QVERIFY(box.open(QIODevice::ReadOnly));
        QVERIFY(box.readAll().contains("word1"));
        Inspector db(f.dbPath());
        QCOMPARE(db.value(QStringLiteral("SELECT word || '/' || box || '/' || file FROM box_events")).toString(),
                 QStringLiteral("word1/3/test.txt"));
        QCOMPARE(f.dialogs.messages.size(), said); // the send said nothing
    }

    void reviewAsksDueWordsLikeAGroup()
    {
        // word1 to word30 answered right long ago, word30 the longest ago;
        // "gone" is older still but no longer in its library.
        const QDateTime now = QDateTime::currentDateTime();
        Fixture f(false, 30, [&](RecordStore &store) {
            store.recordAnswer(RecordFixtures::answer(now.addDays(-90), QStringLiteral("gone"), true, 2000, 0,
                                                      QStringLiteral("test.txt")));
            for (int n = 30; n >= 1; --n)
                store.recordAnswer(RecordFixtures::answer(now.addDays(-60 + (30 - n)), QStringLiteral("word%1").arg(n),
                                                          true, 2000, 0, QStringLiteral("test.txt")));
        });
        auto *library = f.form->findChild<QComboBox *>(QStringLiteral("Combo1"));
        const int chosen = library->currentIndex();
        const QByteArray ini = f.iniBytes();
        QAction *item = f.menuItem(QStringLiteral("reviewAction"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("今日复习 (31)"));
        QVERIFY(item->isEnabled());
        item->trigger();

        QVERIFY(f.form->isReviewing());
        QCOMPARE(library->currentText(), QString());
        QCOMPARE(library->placeholderText(), QStringLiteral("今日复习"));
        QCOMPARE(f.form->wordCount(), qint16(25));
        QCOMPARE(f.form->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("释义30"));

        // A mistake brings a re-test pass of that word alone.
        f.answerCurrent(false);
        QVERIFY(f.dialogs.messages.contains(QStringLiteral("错误！正确答案是：word30")));
        for (int i = 1; i < 25; ++i)
            f.answerCurrent(true);
        QCOMPARE(f.form->test().pass(), 1);
        QCOMPARE(f.form->wordCount(), qint16(1));
        f.dialogs.answers << false; // No: the same words again
        f.answerCurrent(true);
        QCOMPARE(f.dialogs.questions.size(), 1);
        QCOMPARE(f.form->wordCount(), qint16(25));
        QCOMPARE(f.form->test().current().Word, QStringLiteral("word30"));

        f.dialogs.answers << true; // Yes: the words due next
        for (int i = 0; i < 25; ++i)
            f.answerCurrent(true);
        QCOMPARE(f.dialogs.questions.size(), 2);
        QVERIFY(f.form->isReviewing());
        QCOMPARE(f.form->wordCount(), qint16(5));
        QCOMPARE(f.form->test().current().Word, QStringLiteral("word5"));

        f.dialogs.answers << true; // nothing more is due: the review ends
        for (int i = 0; i < 5; ++i)
            f.answerCurrent(true);
        QVERIFY(!f.form->isReviewing());
        QCOMPARE(library->currentIndex(), chosen);
        QCOMPARE(f.form->wordCount(), qint16(0));
        QCOMPARE(f.iniBytes(), ini);

        // Each answer is filed under the word's own library (by the name
        // the list gives its file today, not the seeded one) and group.
        Inspector db(f.dbPath());
        QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM answers WHERE file = 'test.txt' AND library = "
                                         "'测试词库'"))
                     .toInt(),
                 25 + 1 + 25 + 5);
        QCOMPARE(db.value(QStringLiteral("SELECT grp FROM answers WHERE word = 'word30' ORDER BY id DESC")).toInt(), 2);
        QCOMPARE(db.value(QStringLiteral("SELECT grp FROM answers WHERE word = 'word5' ORDER BY id DESC")).toInt(), 1);
        QCOMPARE(db.value(QStringLiteral("SELECT COUNT(*) FROM answers WHERE word = 'gone'")).toInt(), 1);
    }

    void loadingAGroupEndsTheReview()
    {
        const QDateTime now = QDateTime::currentDateTime();
        Fixture f(false, 30, [&](RecordStore &store) {
            store.recordAnswer(RecordFixtures::answer(now.addDays(-30), QStringLiteral("word7"), false, 2000, 0,
                                                      QStringLiteral("test.txt")));
        });
        QVERIFY(f.app->startReview());
        QCOMPARE(f.form->wordCount(), qint16(1));
        QLineEdit *group = f.form->findChild<QLineEdit *>(QStringLiteral("Text2"));
        group->setText(QStringLiteral("2"));
        QTest::keyClick(group, Qt::Key_Return);
        QVERIFY(!f.form->isReviewing());
        QCOMPARE(f.form->wordCount(), qint16(5));
        QCOMPARE(f.form->findChild<QComboBox *>(QStringLiteral("Combo1"))->currentText(), QStringLiteral("测试词库"));
        QCOMPARE(f.form->groupOrigin().group, 2);
    }

    void examPlanServesReviewsThenNewWords()
    {
        const QDateTime now = QDateTime::currentDateTime();
        Fixture f(false, 30, [&](RecordStore &store) {
            for (const char *word : {"word3", "word1"})
                store.recordAnswer(RecordFixtures::answer(now.addDays(-60), QString::fromLatin1(word), true, 2000, 0,
                                                          QStringLiteral("test.txt")));
        });
        QCOMPARE(f.menuItem(QStringLiteral("reviewAction"))->text(), QStringLiteral("今日复习 (2)"));

        // Sixteen days to the exam: the 28 words not met yet over the three
        // days left for new words, at most 5 a day; 6 words a day in all.
        f.menuItem(QStringLiteral("examPlanAction"))->trigger();
        ExamPlanDialog *dialog = f.app->examPlanDialog();
        QVERIFY(dialog);
        const QDate today = Schedule::studyDay(now);
        dialog->findChild<QDateEdit *>(QStringLiteral("examDate"))->setDate(today.addDays(16));
        dialog->findChild<QSpinBox *>(QStringLiteral("newPerDay"))->setValue(5);
        dialog->findChild<QSpinBox *>(QStringLiteral("dailyCap"))->setValue(6);
        QVERIFY(dialog->hint().contains(QStringLiteral("每天约需 10 个新词")));
        dialog->findChild<QPushButton *>(QStringLiteral("savePlan"))->click();
        QVERIFY(f.iniBytes().contains("[ExamPlan]"));

        QCOMPARE(f.menuItem(QStringLiteral("reviewAction"))->text(), QStringLiteral("今日复习 (6)"));
        QVERIFY(f.app->startReview());
        QStringList asked;
        for (int i = 0; i < f.form->wordCount(); ++i)
            asked << f.form->test().words()[size_t(i)].Word;
        // One review within the cap, the least recalled (a tie: by name),
        // then the new words in library order, word3 met already.
        QCOMPARE(asked, (QStringList{QStringLiteral("word1"), QStringLiteral("word2"), QStringLiteral("word4"),
                                     QStringLiteral("word5"), QStringLiteral("word6"), QStringLiteral("word7")}));
        f.dialogs.answers << true;
        for (int i = 0; i < 6; ++i)
            f.answerCurrent(true);
        QVERIFY(!f.form->isReviewing());
        QCOMPARE(f.menuItem(QStringLiteral("reviewAction"))->text(), QStringLiteral("今日复习 (0)"));

        ProgressWindow *window = f.app->openProgressWindow();
        QCOMPARE(window->data().examDaysLeft, 16);
        QCOMPARE(window->data().forecast.size(), 30);
        // Tomorrow brings the held-back review and the next new words.
        QCOMPARE(window->data().forecast[1].newWords, 5);
        QVERIFY(window->data().forecast[1].reviews >= 1);
    }

    void nothingDueLeavesTheWindowAlone()
    {
        Fixture f;
        QAction *item = f.menuItem(QStringLiteral("reviewAction"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("今日复习 (0)"));
        QVERIFY(!item->isEnabled());
        QVERIFY(!f.app->startReview());
        QVERIFY(!f.form->isReviewing());
        QCOMPARE(f.form->wordCount(), qint16(3));
    }
};

QTEST_MAIN(TestLearningRecord)
#include "tst_learningrecord.moc"
