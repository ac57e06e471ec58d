#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "app/Fonts.h"
#include "app/LexivaneApp.h"
#include "library/WordFile.h"
#include "typing/Form1.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QtTest>

#include <memory>

// Every meaning of every library we ship must show whole in the test
// window's meaning label: at most two lines at the label's own font and width,
// measured the way the label lays out its text. The generator only estimates
// widths (tools/ecdict/make_libraries.py); this is where it is held to the
// real font.
class TestExamLibrariesFit : public QObject
{
    Q_OBJECT

private:
    QLabel *m_label = nullptr;
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<LexivaneApp> m_app;

    // Lines the label needs for `text`: the label draws plain text the way
    // QFontMetrics::boundingRect() lays it out, one line spacing a line
    // after the first.
    int linesFor(const QString &text) const
    {
        const QFontMetrics metrics(m_label->font());
        const int flags = int(m_label->alignment()) | Qt::TextWordWrap;
        const QRect room(0, 0, m_label->contentsRect().width() - 2 * m_label->margin(), 100000);
        const int oneLine = metrics.boundingRect(room, flags, QStringLiteral("字")).height();
        const int height = metrics.boundingRect(room, flags, text).height();
        return 1 + (height - oneLine + metrics.lineSpacing() / 2) / metrics.lineSpacing();
    }

private slots:
    void initTestCase()
    {
        // As main() does: the label's font names a Windows family that only
        // these substitutions map onto the installed Chinese fonts.
        registerFontSubstitutions();
        m_folder = std::make_unique<ProgramFolder>();
        m_folder->writeIni(ProgramFolder::oneLibraryIni());
        m_folder->writeNumberedLibrary(QStringLiteral("test.txt"), 25);
        m_dialogs = std::make_unique<RecordingDialogs>();
        m_app = std::make_unique<LexivaneApp>(m_folder->path(), m_dialogs.get());
        m_app->form1()->show();
        m_label = m_app->form1()->findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(m_label);
        QVERIFY(m_label->wordWrap());
        // Two lines must fit the label's height at all, or no meaning could.
        QVERIFY2(2 * QFontMetrics(m_label->font()).lineSpacing() <= m_label->contentsRect().height(),
                 qPrintable(QStringLiteral("line spacing %1, label height %2")
                                .arg(QFontMetrics(m_label->font()).lineSpacing())
                                .arg(m_label->contentsRect().height())));
    }

    // The measure itself, on texts at the edges of line breaking (a closer
    // that may not start a line, a Latin word that may not be split). The
    // generator's own estimate is held to the same table, so where the two
    // agree here they agree on the libraries.
    void measureAgreesWithTheGenerator()
    {
        QFile cases(QStringLiteral(LEXIVANE_TEST_SUPPORT_DIR "/meaning_wrap_cases.tsv"));
        QVERIFY(cases.open(QIODevice::ReadOnly));
        int checked = 0;
        for (const QByteArray &line : cases.readAll().split('\n')) {
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const int tab = line.indexOf('\t');
            const QString text = QString::fromUtf8(line.mid(tab + 1));
            QCOMPARE(linesFor(text), line.left(tab).toInt());
            ++checked;
        }
        QVERIFY(checked > 10);
    }

    void everyMeaningFitsTwoLines_data()
    {
        QTest::addColumn<QString>("path");
        const QDir data(QStringLiteral(LEXIVANE_SOURCE_DATA_DIR));
        const QStringList books = data.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
        QVERIFY(books.contains(QStringLiteral("exam_gre_v2.txt")));
        for (const QString &book : books)
            QTest::newRow(qPrintable(book)) << data.filePath(book);
    }

    void everyMeaningFitsTwoLines()
    {
        QFETCH(QString, path);
        QByteArray bytes;
        QVERIFY(readWordFileBytes(path, bytes));
        WordFileReader reader(bytes);
        QString word, meaning;
        QStringList tooLong;
        int records = 0;
        while (reader.readRecord(word, meaning)) {
            ++records;
            if (linesFor(meaning) > 2)
                tooLong << word + QStringLiteral(": ") + meaning;
        }
        QVERIFY(records > 0);
        QVERIFY2(tooLong.isEmpty(), qPrintable(QStringLiteral("%1 of %2 meanings take more than two lines, e.g. %3")
                                                   .arg(tooLong.size())
                                                   .arg(records)
                                                   .arg(tooLong.mid(0, 5).join(QStringLiteral(" | ")))));
    }
};

QTEST_MAIN(TestExamLibrariesFit)
#include "tst_examlibraries_fit.moc"
