// The progress window over a generated record: what each picture is given
// and where it draws it, the hardest-words list and its two wishes, fixed
// colours on a dark desktop, and sharp drawing at twice the scale.
#include "RecordFixtures.h"

#include "record/RecordStore.h"
#include "recordui/ProgressCharts.h"
#include "recordui/ProgressWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTextDocument>
#include <QtTest>

using RecordFixtures::answer;

class TestProgressWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void heatLevels_data();
    void heatLevels();
    void showsTheRecord();
    void hardestWordsCanBeSentAndSpoken();
    void hardestWordsTellTheirDetails();
    void heatmapIsSharpAtTwiceTheScale();
    void coloursIgnoreADarkDesktop();

private:
    QTemporaryDir m_dir;
    ProgressData m_data;
    const QDate m_today{2026, 12, 8};
};

void TestProgressWindow::initTestCase()
{
    // A generated history: 30 days of answers, more each day, in one
    // library of 100 words whose first 50 are answered.
    RecordStore store;
    QVERIFY(store.open(m_dir.filePath(RecordStore::fileName())).ok());
    for (int day = 0; day < 30; ++day) {
        const QDateTime time(m_today.addDays(day - 29), QTime(9, 0));
        for (int i = 0; i <= day; ++i) {
            const int n = (day * 7 + i) % 50 + 1;
            const bool right = (i + day) % 4 != 0;
            store.recordAnswer(answer(time.addSecs(i), QStringLiteral("word%1").arg(n), right, 1000 + 37 * n, 0,
                                      QStringLiteral("basic.txt"), (n - 1) / 25 + 1));
        }
    }
    m_data = store.progress({{QStringLiteral("基础词汇"), QStringLiteral("basic.txt"), 100},
                             {QStringLiteral("水果"), QStringLiteral("fruit.txt"), 40}},
                            m_today);
    QCOMPARE(m_data.totalAnswers, 30 * 31 / 2);
}

void TestProgressWindow::heatLevels_data()
{
    QTest::addColumn<int>("answers");
    QTest::addColumn<int>("busiest");
    QTest::addColumn<int>("level");
    QTest::newRow("nothing") << 0 << 40 << 0;
    QTest::newRow("nothing anywhere") << 0 << 0 << 0;
    QTest::newRow("one of many") << 1 << 400 << 1;
    QTest::newRow("a quarter") << 10 << 40 << 1;
    QTest::newRow("just over a quarter") << 11 << 40 << 2;
    QTest::newRow("three quarters") << 30 << 40 << 3;
    QTest::newRow("the busiest") << 40 << 40 << 4;
}

void TestProgressWindow::heatLevels()
{
    QFETCH(int, answers);
    QFETCH(int, busiest);
    QFETCH(int, level);
    QCOMPARE(HeatmapChart::level(answers, busiest), level);
}

void TestProgressWindow::showsTheRecord()
{
    ProgressWindow window;
    window.setData(m_data);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("学习记录"));

    // 465 answers, 120 of them wrong: 345 / 465 right is 74 %.
    auto *summary = window.findChild<QLabel *>(QStringLiteral("summary"));
    QCOMPARE(summary->text(), QStringLiteral("共答题 465 次，近一年首次答对 74%"));

    // One cell a day, Monday on top, today in the last column.
    HeatmapChart *heatmap = window.heatmap();
    const QRect today = heatmap->cellRect(ProgressData::Days - 1);
    const QRect yesterday = heatmap->cellRect(ProgressData::Days - 2); // a Monday
    QCOMPARE(yesterday.x(), today.x());
    QCOMPARE(today.y() - yesterday.y(), 13);
    QVERIFY(heatmap->rect().contains(today));
    QVERIFY(heatmap->rect().contains(heatmap->cellRect(0)));
    QVERIFY(heatmap->cellRect(ProgressData::Days).isNull());

    // The accuracy line: a point for each week with first tries, higher for
    // better weeks, none for an empty week.
    AccuracyChart *accuracy = window.accuracy();
    QVERIFY(accuracy->pointOf(0).isNull());
    const QPointF last = accuracy->pointOf(ProgressData::Weeks - 1);
    QVERIFY(!last.isNull());
    int full = -1;
    for (int week = 0; week < m_data.weeks.size(); ++week) {
        if (m_data.weeks[week].accuracy() >= 0 && !accuracy->pointOf(week).isNull())
            full = week;
    }
    QCOMPARE(full, ProgressData::Weeks - 1);
    QVERIFY(accuracy->rect().contains(last.toPoint()));

    // Bars in proportion: 50 of 100 words met fills half the words bar;
    // the groups bar fills its share of 4 groups.
    LibraryBarsChart *bars = window.libraryBars();
    const LibraryProgress &basic = m_data.libraries[0];
    QCOMPARE(basic.wordsMet, 50);
    QCOMPARE(basic.groupsTotal, 4);
    QCOMPARE(basic.groupsCompleted, 2);
    const QRectF words = bars->filledBar(0, true);
    const QRectF groups = bars->filledBar(0, false);
    QVERIFY(words.width() > 10);
    // Both tracks are equally long: half of the words, two of four groups.
    QVERIFY(qAbs(groups.width() - words.width()) < 0.01);
    QVERIFY(groups.bottom() < words.top());
    QCOMPARE(bars->filledBar(1, true).width(), 0.0); // nothing met in the fruit library
    QVERIFY(bars->filledBar(2, true).isNull());

    // The table lists the hardest words in the record's order.
    QTableWidget *table = window.hardestTable();
    QCOMPARE(table->rowCount(), m_data.hardest.size());
    QCOMPARE(table->rowCount(), 50);
    for (int row : {0, 1, 49}) {
        QCOMPARE(table->item(row, 0)->text(), m_data.hardest[row].word);
        QCOMPARE(table->item(row, 1)->text(), m_data.hardest[row].meaning);
        QCOMPARE(table->item(row, 3)->text(), QString::number(m_data.hardest[row].wrong));
    }
    for (int row = 1; row < m_data.hardest.size(); ++row)
        QVERIFY(m_data.hardest[row - 1].wrong >= m_data.hardest[row].wrong);
}

void TestProgressWindow::hardestWordsCanBeSentAndSpoken()
{
    ProgressWindow window;
    window.setData(m_data);
    QSignalSpy sent(&window, &ProgressWindow::sendToBox);
    QSignalSpy spoken(&window, &ProgressWindow::speak);
    auto *send = window.findChild<QPushButton *>(QStringLiteral("sendToBox"));
    auto *speak = window.findChild<QPushButton *>(QStringLiteral("speak"));
    auto *box = window.findChild<QComboBox *>(QStringLiteral("boxChoice"));
    QCOMPARE(box->count(), 5);
    QCOMPARE(box->itemText(4), QStringLiteral("月光宝盒4"));

    // Nothing chosen: nothing to send.
    QVERIFY(!send->isEnabled());
    QVERIFY(!speak->isEnabled());

    window.hardestTable()->selectRow(2);
    QVERIFY(send->isEnabled());
    box->setCurrentIndex(3);
    send->click();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent[0], (QVariantList{3, m_data.hardest[2].word, m_data.hardest[2].meaning}));
    speak->click();
    QCOMPARE(spoken.size(), 1);
    QCOMPARE(spoken[0][0].toString(), m_data.hardest[2].word);

    // New data clears the choice rather than pointing at another word.
    window.setData(m_data);
    QVERIFY(!send->isEnabled());
}

// The word cell's tooltip is whatever the details give for it now; none when
// they give nothing.
void TestProgressWindow::hardestWordsTellTheirDetails()
{
    ProgressWindow window;
    const QString known = m_data.hardest[1].word;
    QString phonetic = QStringLiteral("/a/");
    window.setWordDetails([&](const QString &word) { return word == known ? word + phonetic : QString(); });
    window.setData(m_data);
    QTableWidget *table = window.hardestTable();
    QCOMPARE(table->item(1, 0)->toolTip(), known + QStringLiteral("/a/"));
    QCOMPARE(table->item(0, 0)->toolTip(), QString());
    QCOMPARE(table->item(1, 1)->toolTip(), QString());
    phonetic = QStringLiteral("/b/");
    window.setData(m_data);
    QCOMPARE(table->item(1, 0)->toolTip(), known + QStringLiteral("/b/"));
    // The sentence the word was found in below; a subtitle's tag shown as written.
    ProgressData withSentences = m_data;
    withSentences.hardest[0].sentence = QStringLiteral("<i>Tagged</i> & line.");
    withSentences.hardest[1].sentence = QStringLiteral("A line.");
    window.setData(withSentences);
    QCOMPARE(table->item(1, 0)->toolTip(), known + QStringLiteral("/b/\n原文：A line."));
    QTextDocument shown;
    shown.setHtml(table->item(0, 0)->toolTip());
    QCOMPARE(shown.toPlainText(), QStringLiteral("原文：<i>Tagged</i> & line."));
}

void TestProgressWindow::heatmapIsSharpAtTwiceTheScale()
{
    HeatmapChart heatmap;
    heatmap.setData(m_data);
    heatmap.resize(heatmap.sizeHint());
    QImage image(heatmap.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    heatmap.render(&image);

    // Today is the busiest day; a day without answers is empty.
    const QRect today = heatmap.cellRect(ProgressData::Days - 1);
    const QRect quiet = heatmap.cellRect(0);
    auto pixel = [&](const QPoint &logical) { return image.pixelColor(logical * 2); };
    QCOMPARE(pixel(today.center()), ProgressColors::Heat[4]);
    QCOMPARE(pixel(quiet.center()), ProgressColors::Heat[0]);
    // At 2x the edge of a cell falls between device pixels: the pixel just
    // inside it is the cell's colour, the one just outside the background.
    const QPoint insideLeft(today.left() * 2, today.center().y() * 2);
    QCOMPARE(image.pixelColor(insideLeft), ProgressColors::Heat[4]);
    QCOMPARE(image.pixelColor(insideLeft - QPoint(1, 0)), ProgressColors::Background);
    QCOMPARE(image.pixelColor((today.right() + 1) * 2 - 1, today.center().y() * 2), ProgressColors::Heat[4]);
}

void TestProgressWindow::coloursIgnoreADarkDesktop()
{
    const QPalette saved = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x10, 0x10, 0x10));
    dark.setColor(QPalette::Text, Qt::white);
    QApplication::setPalette(dark);

    ProgressWindow window;
    window.setData(m_data);
    window.resize(780, 760);
    const QImage shot = window.grab().toImage();
    QApplication::setPalette(saved);

    QCOMPARE(window.palette().color(QPalette::Window), ProgressColors::Background);
    QCOMPARE(window.hardestTable()->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(window.hardestTable()->palette().color(QPalette::Text), ProgressColors::Text);
    // The margin at the top left and the heatmap's own background.
    QCOMPARE(shot.pixelColor(3, 3), ProgressColors::Background);
    const QPoint inHeatmap = window.heatmap()->mapTo(&window, QPoint(2, 2));
    QCOMPARE(shot.pixelColor(inHeatmap), ProgressColors::Background);
}

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
