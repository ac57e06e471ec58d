#include "ExtractFixture.h"
#include "ImportFiles.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"
#include "TestFiles.h"
#include "../reliability/PrivateMounts.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "boxes/Form2.h"
#include "browse/Form4.h"
#include "manager/ExtractPreview.h"
#include "manager/ImportPreview.h"
#include "record/RecordStore.h"
#include "manager/LibraryManager.h"
#include "settings/CIniFile.h"
#include "settings/LibraryRegistry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace {

const QStringList kTwoLibraries = {
    QStringLiteral("[LibName]"),           QStringLiteral("Lib0=四级"),         QStringLiteral("Lib1=水果"),
    QStringLiteral("[LibraryFileName]"),   QStringLiteral("四级=cet4.txt"),     QStringLiteral("水果=fruit.txt"),
};

// A program folder with two libraries, the application with recorded
// dialogs, the test window and the manager, whose file choice, name
// questions and import preview answer from queues.
class Fixture
{
public:
    Fixture()
    {
        folder.writeIni(kTwoLibraries);
        folder.writeNumberedLibrary(QStringLiteral("cet4.txt"), 60);
        TestFiles::writeBytes(folder.dataPath(QStringLiteral("fruit.txt")),
                              ImportFiles::encode(QStringLiteral("apple\r\n苹果\r\npear\r\n梨\r\n"), ImportFiles::Bytes::Utf8Bom));
        app = std::make_unique<LexivaneApp>(folder.path(), &dialogs);
        form = app->form1();
        form->show();
        manager = app->openLibraryManager();
        manager->setFileChooser([this](QWidget *, const QString &, const QString &) {
            return files.isEmpty() ? QString() : files.takeFirst();
        });
        manager->setTextAsker([this](QWidget *, const QString &, const QString &, const QString &text) -> std::optional<QString> {
            askedWith << text;
            if (names.isEmpty())
                return std::nullopt;
            return names.takeFirst();
        });
    }

    QStringList rows() const
    {
        auto *table = manager->findChild<QTableWidget *>(QStringLiteral("libraries"));
        QStringList out;
        for (int row = 0; row < table->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columnCount(); ++column)
                cells << table->item(row, column)->text();
            out << cells.join(u'|');
        }
        return out;
    }

    QStringList readyMade() const
    {
        auto *list = manager->findChild<QListWidget *>(QStringLiteral("readyMade"));
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->data(Qt::UserRole + 1).toString();
        return out;
    }

    QStringList registered()
    {
        CIniFile ini;
        ini.SpecifyIni(folder.iniPath());
        QStringList names = LibraryRegistry::libraryNames(ini);
        names.resize(names.size() - LibraryRegistry::BoxCount);
        return names;
    }

    QComboBox *form1List() const { return form->findChild<QComboBox *>(QStringLiteral("Combo1")); }

    // A file outside the program folder, as a user picks one.
    QString outside(const QString &name, const QByteArray &bytes)
    {
        const QString path = elsewhere.filePath(name);
        TestFiles::writeBytes(path, bytes);
        return path;
    }

    ProgramFolder folder;
    QTemporaryDir elsewhere;
    RecordingDialogs dialogs;
    std::unique_ptr<LexivaneApp> app;
    Form1 *form = nullptr;
    LibraryManager *manager = nullptr;
    QStringList files;
    QStringList names;
    QStringList askedWith;
};

} // namespace

class TestLibraryManager : public QObject
{
    Q_OBJECT

private slots:
    void listsLibrariesWithCountsAndEncodings();
    void addsTwoLineLibraryAsItIs();
    void importsWithPreviewAndReport();
    void previewColumnMapping();
    void refusesLongAndBoxNames_data();
    void refusesLongAndBoxNames();
    void renameMoveAndListsFollow();
    void removeKeepsFileUnlessAsked_data();
    void removeKeepsFileUnlessAsked();
    void readyMadeLibraries();
    void failedRegistrationLeavesNothingBehind();
    void bookPictureAndShortcutOpenTheManager();
    void extractsLibraryFromText();
};

void TestLibraryManager::listsLibrariesWithCountsAndEncodings()
{
    Fixture f;
    QCOMPARE(f.rows(), (QStringList{QStringLiteral("四级|cet4.txt|60|3|GBK"), QStringLiteral("水果|fruit.txt|2|1|UTF-8 (BOM)")}));
    QFile::remove(f.folder.dataPath(QStringLiteral("cet4.txt")));
    f.manager->refresh();
    QCOMPARE(f.rows().first(), QStringLiteral("四级|cet4.txt|||找不到文件"));
}

void TestLibraryManager::addsTwoLineLibraryAsItIs()
{
    Fixture f;
    QSignalSpy changed(f.app.get(), &LexivaneApp::libraryListChanged);
    // UTF-8 without BOM, a blank line inside and a last word without meaning.
    const QByteArray bytes = QStringLiteral("sun\n太阳\n\nmoon\n月亮\nstar\n").toUtf8();
    f.files << f.outside(QStringLiteral("天文 词汇.txt"), bytes);
    f.names << QStringLiteral("天文");
    f.manager->addLibrary();

    QCOMPARE(f.askedWith, QStringList{QStringLiteral("天文 词汇")});
    QCOMPARE(f.registered(), (QStringList{QStringLiteral("四级"), QStringLiteral("水果"), QStringLiteral("天文")}));
    QCOMPARE(TestFiles::readBytes(f.folder.dataPath(QStringLiteral("天文_词汇.txt"))), bytes);
    QCOMPARE(f.rows().last(), QStringLiteral("天文|天文_词汇.txt|3|1|UTF-8"));
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().contains(QStringLiteral("2 个单词")), qPrintable(f.dialogs.messages.first()));
    QVERIFY2(f.dialogs.messages.first().contains(QStringLiteral("第 6 行（没有释义）")), qPrintable(f.dialogs.messages.first()));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(f.form1List()->itemText(2), QStringLiteral("天文"));
    QCOMPARE(f.form1List()->currentText(), QStringLiteral("四级"));

    // Not a library at all: nothing is copied or registered.
    f.dialogs.clear();
    f.files << f.outside(QStringLiteral("empty.txt"), "\r\n\r\n");
    f.manager->addLibrary();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages.first().startsWith(QStringLiteral("该文件中没有可用的单词")));
    QCOMPARE(f.registered().size(), 3);
    QVERIFY(!QFile::exists(f.folder.dataPath(QStringLiteral("empty.txt"))));

    // A file already in data/ and not registered is registered where it is.
    f.dialogs.clear();
    f.folder.writeNumberedLibrary(QStringLiteral("mine.txt"), 26);
    f.files << f.folder.dataPath(QStringLiteral("mine.txt"));
    f.names << QStringLiteral("我的");
    f.manager->addLibrary();
    QCOMPARE(f.rows().last(), QStringLiteral("我的|mine.txt|26|2|GBK"));
    QVERIFY(!QFile::exists(f.folder.dataPath(QStringLiteral("mine_2.txt"))));
    QCOMPARE(f.dialogs.messages.size(), 1);
}

void TestLibraryManager::importsWithPreviewAndReport()
{
    Fixture f;
    QStringList previewRows;
    QString previewSummary;
    bool parsedAfterwards = false;
    f.manager->setImportPreviewer([&](QWidget *parent, const QString &path, const QByteArray &bytes, const Import::Choice &choice,
                                      const QString &name) -> std::optional<LibraryManager::ImportChoice> {
        // The real preview, looked at without running it.
        ImportPreview preview(parent, path, bytes, choice, name);
        QSignalSpy parsed(&preview, &ImportPreview::parsed);
        // Parsed on its own thread: nothing to see until it is done.
        parsedAfterwards = preview.isParsing() && parsed.wait();
        auto *table = preview.findChild<QTableWidget *>(QStringLiteral("preview"));
        for (int row = 0; row < table->rowCount(); ++row)
            previewRows << table->item(row, 1)->text() + u'=' + table->item(row, 2)->text();
        previewSummary = preview.findChild<QLabel *>(QStringLiteral("summary"))->text();
        return LibraryManager::ImportChoice{preview.format(), QStringLiteral("动物")};
    });
    QString text = QStringLiteral("cat\t猫\nno separator\n\t无词\n");
    for (int n = 1; n <= 30; ++n)
        text += QStringLiteral("animal%1\t动物%1\n").arg(n);
    f.files << f.outside(QStringLiteral("animals.csv.txt"), text.toUtf8());
    f.manager->importList();

    QVERIFY(parsedAfterwards);
    QCOMPARE(previewRows.size(), ImportPreview::PreviewRows);
    QCOMPARE(previewRows.first(), QStringLiteral("cat=猫"));
    QVERIFY2(previewSummary.contains(QStringLiteral("共 31 个单词")), qPrintable(previewSummary));
    QVERIFY2(previewSummary.contains(QStringLiteral("第 2 行（没有分隔符）、第 3 行（没有单词）")), qPrintable(previewSummary));

    QCOMPARE(f.registered().last(), QStringLiteral("动物"));
    const QByteArray written = TestFiles::readBytes(f.folder.dataPath(QStringLiteral("animals.csv.txt")));
    QVERIFY(TestFiles::fromGbk(written).startsWith(QStringLiteral("cat\r\n猫\r\nanimal1\r\n动物1\r\n")));
    QCOMPARE(written.count("\r\n"), 62);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().contains(QStringLiteral("31 个单词")), qPrintable(f.dialogs.messages.first()));
    QVERIFY(f.dialogs.messages.first().contains(QStringLiteral("跳过 2 行")));

    // Cancelled in the preview: nothing happens.
    f.dialogs.clear();
    f.manager->setImportPreviewer([](QWidget *, const QString &, const QByteArray &, const Import::Choice &, const QString &) {
        return std::optional<LibraryManager::ImportChoice>();
    });
    f.files << f.outside(QStringLiteral("more.tsv"), "a\tb\n");
    f.manager->importList();
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(!QFile::exists(f.folder.dataPath(QStringLiteral("more.txt"))));

    // A refused name brings the preview back with the columns as chosen.
    QList<Import::Choice> shown;
    f.manager->setImportPreviewer([&shown](QWidget *, const QString &, const QByteArray &, const Import::Choice &choice,
                                           const QString &) -> std::optional<LibraryManager::ImportChoice> {
        shown << choice;
        if (shown.size() > 1)
            return std::nullopt;
        return LibraryManager::ImportChoice{Import::Format::Tsv, QStringLiteral("四级"), {}, {}, false,
                                            {Import::Role::Meaning, Import::Role::Word}};
    });
    f.files << f.outside(QStringLiteral("more.tsv"), "a\tb\n");
    f.manager->importList();
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("已经有同名的词库！")});
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].roles, QList<Import::Role>());
    QCOMPARE(shown[1].roles, (QList<Import::Role>{Import::Role::Meaning, Import::Role::Word}));
}

void TestLibraryManager::previewColumnMapping()
{
    const auto parsedPreview = [](const QByteArray &bytes, Import::Format format) {
        auto preview = std::make_unique<ImportPreview>(nullptr, QStringLiteral("list.csv"), bytes, format, QString());
        QSignalSpy parsed(preview.get(), &ImportPreview::parsed);
        return parsed.wait() ? std::move(preview) : nullptr;
    };
    const auto summaryOf = [](ImportPreview &preview) {
        return preview.findChild<QLabel *>(QStringLiteral("summary"))->text();
    };
    using Import::Role;
    auto preview = parsedPreview("单词,音标,释义\nabandon,[ə'bændən],v. 放弃\napple,/ˈæpl/,n. 苹果\n", Import::Format::Csv);
    QVERIFY(preview);
    QCOMPARE(preview->roles(), (QList<Role>{Role::Word, Role::Phonetic, Role::Meaning}));
    auto *columns = preview->findChild<QTableWidget *>(QStringLiteral("columns"));
    QCOMPARE(columns->item(2, 1)->text(), QStringLiteral("[ə'bændən]"));
    QString summary = summaryOf(*preview);
    QVERIFY2(summary.contains(QStringLiteral("共 2 个单词")) && summary.contains(QStringLiteral("第 1 行是表头"))
                 && summary.contains(QStringLiteral("第 2 列“音标”不导入（")),
             qPrintable(summary));
    auto *accept = preview->findChild<QPushButton *>(QStringLiteral("accept"));
    QVERIFY(accept->isEnabled());

    // The user's choice is parsed again: no word column, nothing to import.
    QSignalSpy parsed(preview.get(), &ImportPreview::parsed);
    preview->setRole(0, Role::Ignore);
    QVERIFY(!accept->isEnabled());
    QVERIFY(parsed.wait());
    QCOMPARE(preview->outcome().choice.roles, (QList<Role>{Role::Ignore, Role::Phonetic, Role::Meaning}));
    QVERIFY(preview->outcome().records.isEmpty());
    QVERIFY(!accept->isEnabled());
    preview->setRole(0, Role::Word);
    QVERIFY(parsed.wait());
    QCOMPARE(preview->outcome().records.size(), 2);
    QVERIFY(accept->isEnabled());

    // A word-only list chosen as a two-line library is flagged, not
    // silently paired into nonsense.
    preview = parsedPreview("abandon\napple\ncat\ndog\n", Import::Format::WordLibrary);
    QVERIFY(preview);
    summary = summaryOf(*preview);
    QVERIFY2(summary.contains(QStringLiteral("可能是每行一个单词的列表")), qPrintable(summary));
    // Without a dictionary, the same list read as words says why nothing comes.
    preview->setFormat(Import::Format::WordOnly);
    QVERIFY(QSignalSpy(preview.get(), &ImportPreview::parsed).wait());
    summary = summaryOf(*preview);
    QVERIFY2(summary.contains(QStringLiteral("没有可用的词典")), qPrintable(summary));

    // Not text at all: refused, nothing to accept.
    QByteArray binary(4096, '\0');
    binary[100] = '\t';
    preview = parsedPreview(binary, Import::Format::Tsv);
    QVERIFY(preview);
    QVERIFY(summaryOf(*preview).contains(QStringLiteral("不是文本文件")));
    QVERIFY(!preview->findChild<QPushButton *>(QStringLiteral("accept"))->isEnabled());
}

void TestLibraryManager::refusesLongAndBoxNames_data()
{
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("message");
    QTest::newRow("20 bytes") << QStringLiteral("一二三四五六七八九十")
                              << QStringLiteral("词库名称太长！词库名称最多 19 个字节（一个汉字占 2 个字节，一个英文字母占 1 个字节）。");
    QTest::newRow("box") << QStringLiteral("月光宝盒0") << QStringLiteral("月光宝盒0～月光宝盒4 是单词盒的名称，不能用作词库名称！");
    QTest::newRow("taken") << QStringLiteral("四级") << QStringLiteral("已经有同名的词库！");
}

void TestLibraryManager::refusesLongAndBoxNames()
{
    QFETCH(QString, refused);
    QFETCH(QString, message);
    Fixture f;
    // Refused, then asked again with the refused text; cancelled the second
    // time: nothing is copied or registered.
    f.files << f.outside(QStringLiteral("x.txt"), "a\r\nb\r\n");
    f.names << refused;
    f.manager->addLibrary();
    QCOMPARE(f.dialogs.messages, QStringList{message});
    QCOMPARE(f.askedWith, (QStringList{QStringLiteral("x"), refused}));
    QCOMPARE(f.registered().size(), 2);
    QVERIFY(!QFile::exists(f.folder.dataPath(QStringLiteral("x.txt"))));

    // The same check guards a rename.
    f.dialogs.clear();
    f.manager->selectRow(1);
    f.names << refused << QStringLiteral("果");
    f.manager->renameSelected();
    QCOMPARE(f.dialogs.messages, QStringList{message});
    QCOMPARE(f.registered(), (QStringList{QStringLiteral("四级"), QStringLiteral("果")}));
}

void TestLibraryManager::renameMoveAndListsFollow()
{
    Fixture f;
    // The box window the application opens, so that it is told of the change.
    QVERIFY(f.app->openBoxWindow());
    Form2 *boxes = f.app->boxWindow();
    auto *boxList = boxes->findChild<QComboBox *>(QStringLiteral("Combo1"));
    auto *browseList = f.app->browseSettings()->findChild<QComboBox *>(QStringLiteral("Combo1"));
    f.form1List()->setCurrentIndex(1); // 水果
    boxList->setCurrentIndex(0);       // 四级
    browseList->setCurrentIndex(-1);   // nothing chosen

    f.manager->selectRow(1);
    f.manager->moveSelected(-1);
    QCOMPARE(f.registered(), (QStringList{QStringLiteral("水果"), QStringLiteral("四级")}));
    QCOMPARE(f.manager->selectedRow(), 0);
    QCOMPARE(f.form1List()->currentIndex(), 0);
    QCOMPARE(f.form1List()->currentText(), QStringLiteral("水果"));
    QCOMPARE(boxList->currentText(), QStringLiteral("四级"));
    QCOMPARE(f.form1List()->count(), 2 + LibraryRegistry::BoxCount);
    QCOMPARE(browseList->itemText(0), QStringLiteral("水果"));
    QCOMPARE(browseList->currentIndex(), -1);

    // At the top already: nothing changes, nothing is said.
    f.manager->moveSelected(-1);
    QCOMPARE(f.registered(), (QStringList{QStringLiteral("水果"), QStringLiteral("四级")}));
    QVERIFY(f.dialogs.messages.isEmpty());

    // The renamed library is gone under its old name: the lists fall back to
    // their first entry.
    f.names << QStringLiteral("水果蔬菜");
    f.manager->renameSelected();
    QCOMPARE(f.registered(), (QStringList{QStringLiteral("水果蔬菜"), QStringLiteral("四级")}));
    QCOMPARE(f.rows().first(), QStringLiteral("水果蔬菜|fruit.txt|2|1|UTF-8 (BOM)"));
    QCOMPARE(f.form1List()->currentText(), QStringLiteral("水果蔬菜"));
    QCOMPARE(boxList->currentText(), QStringLiteral("四级"));
}

void TestLibraryManager::removeKeepsFileUnlessAsked_data()
{
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<bool>("fileKept");
    QTest::newRow("no") << QList<bool>{false} << false << true;
    QTest::newRow("yes, keep file") << QList<bool>{true, false} << true << true;
    QTest::newRow("yes, delete file") << QList<bool>{true, true} << true << false;
}

void TestLibraryManager::removeKeepsFileUnlessAsked()
{
    QFETCH(QList<bool>, answers);
    QFETCH(bool, removed);
    QFETCH(bool, fileKept);
    Fixture f;
    f.dialogs.answers = answers;
    const QString sentence = QStringLiteral("An ancient word.");
    f.app->record().recordSourceSentences(QStringLiteral("cet4.txt"), {{QStringLiteral("ancient"), sentence}});
    f.manager->selectRow(0);
    f.manager->removeSelected();
    // The sentences go with the file, not with the entry.
    QCOMPARE(f.app->record().sourceSentence(QStringLiteral("cet4.txt"), QStringLiteral("ancient")),
             fileKept ? sentence : QString());
    QCOMPARE(f.dialogs.questions.size(), answers.size());
    QCOMPARE(f.dialogs.questions.first(), QStringLiteral("从词库列表中移除“四级”吗？"));
    if (answers.size() > 1)
        QCOMPARE(f.dialogs.questions.last(), QStringLiteral("同时删除词库文件 data/cet4.txt 吗？选“否”保留文件。"));
    QCOMPARE(f.registered(), removed ? QStringList{QStringLiteral("水果")} : (QStringList{QStringLiteral("四级"), QStringLiteral("水果")}));
    QCOMPARE(QFile::exists(f.folder.dataPath(QStringLiteral("cet4.txt"))), fileKept);
    QCOMPARE(f.form1List()->itemText(0), removed ? QStringLiteral("水果") : QStringLiteral("四级"));
}

void TestLibraryManager::readyMadeLibraries()
{
    Fixture f;
    f.folder.writeNumberedLibrary(QStringLiteral("exam_cet4.txt"), 30);
    f.folder.writeNumberedLibrary(QStringLiteral("basic.txt"), 3);
    // exam_gk.txt is not in data/: not offered.
    f.manager->refresh();
    QCOMPARE(f.readyMade(), (QStringList{QStringLiteral("basic.txt"), QStringLiteral("exam_cet4.txt")}));
    auto *list = f.manager->findChild<QListWidget *>(QStringLiteral("readyMade"));
    list->setCurrentRow(1);
    f.manager->addReadyMade();
    QCOMPARE(f.registered().last(), QStringLiteral("大学英语四级"));
    QCOMPARE(f.rows().last(), QStringLiteral("大学英语四级|exam_cet4.txt|30|2|GBK"));
    QCOMPARE(f.readyMade(), QStringList{QStringLiteral("basic.txt")});
}

void TestLibraryManager::failedRegistrationLeavesNothingBehind()
{
    REQUIRE_PRIVATE_MOUNTS();
    Fixture f;
    const QByteArray before = TestFiles::readBytes(f.folder.iniPath());
    PrivateMounts::Mount mount;
    // lexvan.ini cannot be replaced (it is a mount point), data/ is writable.
    const QString error = mount.readOnly(f.folder.iniPath());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    f.files << f.outside(QStringLiteral("list.tsv"), "a\t甲\n");
    f.manager->setImportPreviewer([](QWidget *, const QString &, const QByteArray &, const Import::Choice &choice, const QString &) {
        return std::optional<LibraryManager::ImportChoice>(LibraryManager::ImportChoice{choice.format, QStringLiteral("新")});
    });
    f.manager->importList();
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("无法写入设置文件 lexvan.ini，词库列表没有改动！")});
    QVERIFY(!QFile::exists(f.folder.dataPath(QStringLiteral("list.txt"))));
    QCOMPARE(TestFiles::readBytes(f.folder.iniPath()), before);
    QCOMPARE(f.rows().size(), 2);
}

void TestLibraryManager::bookPictureAndShortcutOpenTheManager()
{
    Fixture f;
    f.manager->close();
    QTRY_VERIFY(!f.app->libraryManager());

    QSignalSpy requested(f.form, &Form1::bookMenuRequested);
    auto *picture = f.form->findChild<QLabel *>(QStringLiteral("Picture1"));
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mouseClick(picture, button, {}, QPoint(10, 10));
        QVERIFY(f.app->bookMenu());
        // The learning record's items follow the designed two.
        QVERIFY(f.app->bookMenu()->actions().size() >= 2);
        QCOMPARE(f.app->bookMenu()->actions().first()->text(), QStringLiteral("词库管理…"));
        QCOMPARE(f.app->bookMenu()->actions().at(1)->text(), QStringLiteral("发音设置…"));
    }
    QCOMPARE(requested.size(), 2);
    QCOMPARE(requested.last().first().toPoint(), picture->mapToGlobal(QPoint(10, 10)));
    f.app->bookMenu()->actions().first()->trigger();
    QVERIFY(f.app->libraryManager());
    f.app->libraryManager()->close();
    QTRY_VERIFY(!f.app->libraryManager());

    // Ctrl+L in the answer box opens it too, and types nothing there (no
    // "单词还没有读入呢！").
    auto *answer = f.form->findChild<QLineEdit *>(QStringLiteral("Text1"));
    f.form->activateWindow();
    answer->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(f.form));
    QTest::keyClick(answer, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(f.app->libraryManager());
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(answer->text().isEmpty());
}

// The preview reads the subtitle in the background; the user hides the
// 中考 words, sorts by level, unticks one word and tries a name that is
// taken before one that is free.
void TestLibraryManager::extractsLibraryFromText()
{
    Fixture f;
    ExtractFixture::write(f.folder.path());
    TestFiles::writeBytes(f.folder.dataPath(QStringLiteral("known.txt")), "# mine\nwild\n");
    f.files << f.outside(QStringLiteral("film.srt"), ExtractFixture::subtitle());
    QStringList shown;
    bool accepted = false;
    f.manager->setExtractPreviewer([&](QWidget *parent, const QString &path, const ExtractOptions &options,
                                       const QString &name, int hideLevel, const std::function<bool(const QString &)> &acceptName)
                                       -> std::optional<LibraryManager::ExtractChoice> {
        ExtractPreview preview(parent, path, f.app->dictionary(), options, name, hideLevel, acceptName);
        QSignalSpy read(&preview, &ExtractPreview::read);
        if (!read.wait(10000))
            return std::nullopt;
        preview.setHideLevel(ExamLevel::fromName(QStringLiteral("中考")));
        preview.setOrder(ExtractPreview::Order::Level);
        auto *table = preview.findChild<QTableWidget *>(QStringLiteral("words"));
        for (int row = 0; row < table->rowCount(); ++row) {
            shown << table->item(row, 0)->text() + u':' + table->item(row, 2)->text();
            if (table->item(row, 0)->text() == QLatin1String("ancient"))
                preview.setTicked(row, false);
        }
        preview.setName(QStringLiteral("四级"));
        preview.create();
        const bool refused = preview.QDialog::result() != QDialog::Accepted;
        preview.setName(QStringLiteral("电影生词"));
        preview.create();
        accepted = refused && preview.QDialog::result() == QDialog::Accepted;
        return LibraryManager::ExtractChoice{preview.name(), preview.chosen(), preview.unticked(), preview.hideLevel()};
    });
    f.manager->extractFromText();

    QVERIFY(accepted);
    QCOMPARE(shown.join(u' '), QStringLiteral("enter:高考 forest:高考 ancient:四级 whisper:六级 meadow:托福 glimmer:GRE"));
    QCOMPARE(f.rows().last().section(u'|', 0, 3), QStringLiteral("电影生词|film.txt|5|1"));
    QCOMPARE(TestFiles::fromGbk(TestFiles::readBytes(f.folder.dataPath(QStringLiteral("film.txt")))).section(u'\n', 0, 3),
             QStringLiteral("enter\r\nvt. 进入\r\nforest\r\nn. 森林\r"));
    QCOMPARE(TestFiles::readBytes(f.folder.dataPath(QStringLiteral("known.txt"))), QByteArray("# mine\nwild\nancient\n"));
    QCOMPARE(f.app->record().sourceSentence(QStringLiteral("film.txt"), QStringLiteral("glimmer")),
             QStringLiteral("Rivers glimmered."));
    CIniFile ini;
    ini.SpecifyIni(f.folder.iniPath());
    QCOMPARE(ini.ReadString(QStringLiteral("Extract"), QStringLiteral("HideLevel"), 32), QStringLiteral("中考"));
    QCOMPARE(f.dialogs.messages.size(), 2);
    QCOMPARE(f.dialogs.messages.first(), QStringLiteral("已经有同名的词库！"));
    QVERIFY2(f.dialogs.messages.last().contains(QStringLiteral("1 个取消勾选的单词已加入已掌握的单词")),
             qPrintable(f.dialogs.messages.last()));
}

QTEST_MAIN(TestLibraryManager)
#include "tst_librarymanager.moc"
