#include "typing/TypingTest.h"

#include <QtTest>

#include <vector>

namespace {

// A group of `count` words "w0", "w1", ... meaning "m0", "m1", ..., begun.
void load(TypingTest &test, int count)
{
    test.reset();
    for (int i = 0; i < count; ++i) {
        test.table()[size_t(i)].Word = QStringLiteral("w%1").arg(i);
        test.table()[size_t(i)].Meaning = QStringLiteral("m%1").arg(i);
    }
    test.countSlot() = qint16(count);
    test.begin();
}

// Answers every word of the pass being asked, wrongly where `wrongMask` has
// an 'x'; returns the words asked, in order.
QStringList answerPass(TypingTest &test, const QString &wrongMask, TypingTest::Next *last = nullptr)
{
    QStringList asked;
    for (int i = 0; test.isAsking(); ++i) {
        const QString word = test.current().Word;
        asked << word;
        const bool wrong = i < wrongMask.size() && wrongMask.at(i) == u'x';
        const TypingTest::Verdict verdict = test.answer(wrong ? QStringLiteral("nope") : word);
        if (last)
            *last = verdict.next;
    }
    return asked;
}

} // namespace

class TestTypingTest : public QObject
{
    Q_OBJECT

private slots:
    void judging_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("right");
        QTest::newRow("same") << QStringLiteral("apple") << QStringLiteral("apple") << true;
        QTest::newRow("spaces around the answer") << QStringLiteral("apple") << QStringLiteral("  apple ") << true;
        QTest::newRow("spaces around the stored word") << QStringLiteral(" apple  ") << QStringLiteral("apple") << true;
        QTest::newRow("case counts") << QStringLiteral("Apple") << QStringLiteral("apple") << false;
        QTest::newRow("inner space counts") << QStringLiteral("ice cream") << QStringLiteral("ice  cream") << false;
        QTest::newRow("a tab is not a space") << QStringLiteral("apple") << QStringLiteral("apple\t") << false;
        QTest::newRow("ideographic space is not a space")
            << QStringLiteral("apple") << QStringLiteral("apple\u3000") << false;
        QTest::newRow("empty answer") << QStringLiteral("apple") << QString() << false;
        QTest::newRow("prefix only") << QStringLiteral("apple") << QStringLiteral("app") << false;
    }
    void judging()
    {
        QFETCH(QString, word);
        QFETCH(QString, typed);
        QFETCH(bool, right);
        TypingTest test;
        load(test, 2);
        test.table()[0].Word = word;
        const TypingTest::Verdict verdict = test.answer(typed);
        QCOMPARE(verdict.right, right);
        QCOMPARE(verdict.entry.Word, word);
        QCOMPARE(verdict.slot, 0);
        QCOMPARE(verdict.next, TypingTest::Next::Word);
        QCOMPARE(test.rightCount(), right ? 1 : 0);
        QCOMPARE(test.wrongCount(), right ? 0 : 1);
        QCOMPARE(test.words()[0].Mark, right ? TypingTest::MarkRight : TypingTest::MarkWrong);
        QCOMPARE(test.currentIndex(), qint16(1));
    }

    // Pass after pass, exactly the wrong words come back, in group order,
    // until a pass has no mistakes.
    void retestPasses_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("masks");
        QTest::addColumn<QStringList>("expectedPasses");
        QTest::newRow("no mistakes") << 3 << QStringList{QStringLiteral("...")}
                                     << QStringList{QStringLiteral("w0 w1 w2")};
        QTest::newRow("two wrong, then right")
            << 5 << QStringList{QStringLiteral(".x.x."), QStringLiteral("..")}
            << QStringList{QStringLiteral("w0 w1 w2 w3 w4"), QStringLiteral("w1 w3")};
        QTest::newRow("shrinking passes")
            << 4 << QStringList{QStringLiteral("xxxx"), QStringLiteral("x.x."), QStringLiteral(".x"), QStringLiteral(".")}
            << QStringList{QStringLiteral("w0 w1 w2 w3"), QStringLiteral("w0 w1 w2 w3"), QStringLiteral("w0 w2"),
                           QStringLiteral("w2")};
        QTest::newRow("last word wrong") << 25 << QStringList{QString(24, u'.') + u'x', QStringLiteral(".")}
                                         << QStringList{QString(), QStringLiteral("w24")};
        QTest::newRow("one word") << 1 << QStringList{QStringLiteral("x"), QStringLiteral(".")}
                                  << QStringList{QStringLiteral("w0"), QStringLiteral("w0")};
    }
    void retestPasses()
    {
        QFETCH(int, count);
        QFETCH(QStringList, masks);
        QFETCH(QStringList, expectedPasses);
        TypingTest test;
        load(test, count);
        for (int pass = 0; pass < masks.size(); ++pass) {
            QCOMPARE(test.pass(), pass);
            TypingTest::Next last = TypingTest::Next::Word;
            const QStringList asked = answerPass(test, masks.at(pass), &last);
            if (!expectedPasses.at(pass).isEmpty())
                QCOMPARE(asked.join(u' '), expectedPasses.at(pass));
            QCOMPARE(asked.size(), count);
            const int wrong = int(masks.at(pass).count(u'x'));
            QCOMPARE(test.wrongCount(), wrong);
            QCOMPARE(test.rightCount(), count - wrong);
            const bool lastPass = pass == masks.size() - 1;
            QCOMPARE(last, lastPass ? TypingTest::Next::GroupDone : TypingTest::Next::RetestPass);
            if (lastPass)
                break;
            test.startRetestPass();
            count = wrong;
            QCOMPARE(test.wordCount(), qint16(count));
            QCOMPARE(test.currentIndex(), qint16(0));
            QCOMPARE(test.rightCount(), 0);
            QCOMPARE(test.wrongCount(), 0);
            for (int i = 0; i < count; ++i)
                QCOMPARE(test.words()[size_t(i)].Mark, TypingTest::MarkUnanswered);
        }
    }

    // The meanings travel with their words into the re-test pass.
    void retestKeepsMeanings()
    {
        TypingTest test;
        load(test, 4);
        answerPass(test, QStringLiteral("..xx"));
        test.startRetestPass();
        QCOMPARE(test.current().Word, QStringLiteral("w2"));
        QCOMPARE(test.current().Meaning, QStringLiteral("m2"));
        test.answer(QStringLiteral("w2"));
        QCOMPARE(test.current().Meaning, QStringLiteral("m3"));
    }

    void answersAreReported()
    {
        TypingTest test;
        qint64 now = 1000;
        test.setClock([&now] { return now; });
        std::vector<TypedAnswer> seen;
        test.setAnswerListener([&seen](const TypedAnswer &a) { seen.push_back(a); });
        load(test, 2);

        now += 1500;
        test.answer(QStringLiteral("wrong"));
        // The window shows the next meaning only after its message.
        now += 4000;
        test.meaningShown();
        // Only the first key ends the reaction.
        now += 100;
        test.keyTyped();
        now += 50;
        test.keyTyped();
        now += 100;
        test.answer(QStringLiteral(" w1 "));
        test.startRetestPass();
        now += 90;
        test.answer(QStringLiteral("w0"));

        QCOMPARE(int(seen.size()), 3);
        const struct {
            const char *word;
            const char *meaning;
            int pass;
            bool right;
            qint64 millis;
            qint64 reaction; // -1: Enter came without a key before it
            qint64 typing;
            int characters;
        } expected[] = {
            {"w0", "m0", 0, false, 1500, -1, -1, 5},
            {"w1", "m1", 0, true, 250, 100, 150, 2},
            {"w0", "m0", 1, true, 90, -1, -1, 2},
        };
        for (size_t i = 0; i < seen.size(); ++i) {
            QCOMPARE(seen[i].word, QString::fromLatin1(expected[i].word));
            QCOMPARE(seen[i].meaning, QString::fromLatin1(expected[i].meaning));
            QCOMPARE(seen[i].pass, expected[i].pass);
            QCOMPARE(seen[i].right, expected[i].right);
            QCOMPARE(seen[i].millis, expected[i].millis);
            QCOMPARE(seen[i].reactionMillis, expected[i].reaction);
            QCOMPARE(seen[i].typingMillis, expected[i].typing);
            QCOMPARE(seen[i].characters, expected[i].characters);
        }
    }

    void resetEmptiesTheGroup()
    {
        TypingTest test;
        load(test, 3);
        answerPass(test, QStringLiteral("x"));
        test.reset();
        QVERIFY(!test.hasWords());
        QVERIFY(!test.isAsking());
        QCOMPARE(test.rightCount(), 0);
        QCOMPARE(test.wrongCount(), 0);
        QCOMPARE(test.pass(), 0);
        for (int i = 0; i < GroupSize; ++i) {
            QVERIFY(test.words()[size_t(i)].Word.isEmpty());
            QCOMPARE(test.words()[size_t(i)].Mark, TypingTest::MarkUnanswered);
        }
        // Nothing is judged without a group, and nothing is reported.
        bool reported = false;
        test.setAnswerListener([&reported](const TypedAnswer &) { reported = true; });
        test.answer(QStringLiteral("w0"));
        QVERIFY(!reported);
        QCOMPARE(test.rightCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTypingTest)
#include "tst_typingtest.moc"
