// The test window when the disk or the files let it down: a program folder
// that cannot be written, a full disk, a settings file that is no settings
// file, a library that is gone or holds one enormous line. The window must
// go on working, say only what a user can act on, and change no file.

#include "PrivateMounts.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"

#include "typing/Form1.h"
#include "app/LexivaneApp.h"
#include "record/RecordStore.h"
#include "settings/CIniFile.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

using TestFiles::readBytes;

namespace {

const QStringList kOneLibrary = ProgramFolder::oneLibraryIni();
const QString kNotice = QStringLiteral("现在已经是最后一组了！");

// Every entry under a folder with a digest of its bytes, to tell whether
// anything at all was written.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        files.insert(QDir(folder).relativeFilePath(path),
                     info.isFile() && !info.isSymLink()
                         ? QCryptographicHash::hash(readBytes(path), QCryptographicHash::Sha1).toHex()
                         : QByteArray("folder"));
    }
    return files;
}

class Window
{
public:
    explicit Window(ProgramFolder &folder)
        : app(std::make_unique<LexivaneApp>(folder.path(), &dialogs))
        , form(app->form1())
    {
        form->show();
    }

    template <typename T> T *child(const char *name) const
    {
        T *found = form->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    QString text(const char *label) const { return child<QLabel>(label)->text(); }

    void load(const QString &group, int library = 0) const
    {
        child<QComboBox>("Combo1")->setCurrentIndex(library);
        QLineEdit *box = child<QLineEdit>("Text2");
        box->setText(group);
        QTest::keyClick(box, Qt::Key_Return);
    }

    void answer(const QString &typed) const
    {
        QLineEdit *box = child<QLineEdit>("Text1");
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Return);
    }

    RecordingDialogs dialogs;
    std::unique_ptr<LexivaneApp> app;
    Form1 *form;
};

} // namespace

class TestForm1Faults : public QObject
{
    Q_OBJECT

private slots:
    void readOnlyProgramFolder();
    void fullDisk();
    void unusableSettingsFile_data();
    void unusableSettingsFile();
    void libraryGoneAfterLoading_data();
    void libraryGoneAfterLoading();
    void tenMegabyteMeaning();
};

void TestForm1Faults::readOnlyProgramFolder()
{
    REQUIRE_PRIVATE_MOUNTS();
    ProgramFolder folder;
    folder.writeIni(kOneLibrary + QStringList{QStringLiteral("[Form1LastData]"), QStringLiteral("WordGroup=2"),
                                              QStringLiteral("WordLibrary=0")});
    folder.writeNumberedLibrary(QStringLiteral("test.txt"), 60);
    const auto before = snapshot(folder.path());
    PrivateMounts::Mount mount;
    const QString error = mount.readOnly(folder.path());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // The working folder must be looked up again to be seen through the mount.
    QVERIFY(QDir::setCurrent(folder.path()));

    // Starts from the saved settings, tests as usual, and never mentions
    // that it could not save them.
    Window w(folder);
    QCOMPARE(w.child<QLineEdit>("Text2")->text(), QStringLiteral("2"));
    w.load(QStringLiteral("1"));
    QCOMPARE(w.text("Label1"), QStringLiteral("释义1"));
    w.answer(QStringLiteral("word1"));
    w.answer(QStringLiteral("wrong"));
    QCOMPARE(w.text("Label4"), QStringLiteral("1"));
    QCOMPARE(w.text("Label7"), QStringLiteral("1"));
    w.load(QStringLiteral("3"));
    QCOMPARE(w.text("Label1"), QStringLiteral("释义51"));
    // The learning record cannot be kept there either: said once, at start.
    QCOMPARE(w.dialogs.messages, (QStringList{RecordStore::messageFor(RecordStore::Status::Unwritable),
                                              QStringLiteral("错误！正确答案是：word2"), kNotice}));
    QCOMPARE(snapshot(folder.path()), before);
}

void TestForm1Faults::fullDisk()
{
    REQUIRE_PRIVATE_MOUNTS();
    ProgramFolder folder;
    PrivateMounts::Mount mount;
    const QString error = mount.tmpfs(folder.path(), 512 * 1024);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(QDir::setCurrent(folder.path()));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("data")));
    folder.writeIni(kOneLibrary);
    folder.writeNumberedLibrary(QStringLiteral("test.txt"), 60);
    QVERIFY(PrivateMounts::fill(folder.path(), QStringLiteral("data/filler")));
    const auto before = snapshot(folder.path());

    Window w(folder);
    w.load(QStringLiteral("2"));
    QCOMPARE(w.text("Label1"), QStringLiteral("释义26"));
    // Only the learning record, which has no room to start, says so.
    QCOMPARE(w.dialogs.messages, QStringList{RecordStore::messageFor(RecordStore::Status::Unwritable)});
    QCOMPARE(snapshot(folder.path()), before);

    // Once there is room again, the next load is remembered.
    QVERIFY(QFile::remove(folder.dataPath(QStringLiteral("filler"))));
    w.load(QStringLiteral("02"));
    CIniFile ini;
    ini.SpecifyIni(folder.iniPath());
    QCOMPARE(ini.ReadString(QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"), 10), QStringLiteral("2"));
    QCOMPARE(ini.ReadString(QStringLiteral("LibName"), QStringLiteral("Lib0"), 20), QStringLiteral("测试词库"));
}

void TestForm1Faults::unusableSettingsFile_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("50 MB of binary") << 0;
    QTest::newRow("a folder") << 1;
    QTest::newRow("a named pipe") << 2;
}

void TestForm1Faults::unusableSettingsFile()
{
    QFETCH(int, kind);
    ProgramFolder folder;
    QByteArray garbage;
    switch (kind) {
    case 0: {
        garbage.resize(50 * 1024 * 1024);
        QRandomGenerator(4).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
        QVERIFY(TestFiles::writeBytes(folder.iniPath(), garbage));
        break;
    }
    case 1:
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("lexvan.ini")));
        break;
    default:
        QCOMPARE(::mkfifo(QFile::encodeName(folder.iniPath()).constData(), 0644), 0);
        break;
    }
    folder.writeNumberedLibrary(QStringLiteral("box0.txt"), 30);

    // The window starts with the boxes only, and a box can be tested.
    Window w(folder);
    auto *list = w.child<QComboBox>("Combo1");
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentText(), QStringLiteral("月光宝盒0"));
    QCOMPARE(w.child<QLineEdit>("Text2")->text(), QStringLiteral("1"));
    w.load(QStringLiteral("2"));
    QCOMPARE(w.text("Label1"), QStringLiteral("释义26"));
    QCOMPARE(w.dialogs.messages, QStringList{kNotice});

    if (kind == 0) {
        // The garbage stays as it was; the window's section follows it.
        const QByteArray now = readBytes(folder.iniPath());
        QVERIFY(now.startsWith(garbage));
        QVERIFY(now.endsWith("[Form1LastData]\r\nWordGroup=2\r\nWordLibrary=0\r\n"));
        QVERIFY(now.size() < garbage.size() + 64);
    } else {
        QCOMPARE(w.app->iniFile().ErrorText(), QStringLiteral("写入失败"));
        const QFileInfo info(folder.iniPath());
        QVERIFY(kind == 1 ? info.isDir() : !info.isFile());
    }
}

void TestForm1Faults::libraryGoneAfterLoading_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("data folder removed") << 0 << QStringLiteral("找不到词库文件！测试词库");
    QTest::newRow("library replaced by a folder") << 1 << QStringLiteral("无法读取词库文件！测试词库");
}

void TestForm1Faults::libraryGoneAfterLoading()
{
    QFETCH(int, kind);
    QFETCH(QString, message);
    ProgramFolder folder;
    folder.writeIni(kOneLibrary);
    folder.writeNumberedLibrary(QStringLiteral("test.txt"), 60);
    Window w(folder);
    w.load(QStringLiteral("2"));
    w.answer(QStringLiteral("word26"));
    const QByteArray settings = readBytes(folder.iniPath());

    if (kind == 0) {
        QVERIFY(QDir(folder.path() + QStringLiteral("/data")).removeRecursively());
    } else {
        QVERIFY(QFile::remove(folder.dataPath(QStringLiteral("test.txt"))));
        QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("data/test.txt")));
    }
    w.load(QStringLiteral("1"));

    // Said once; the group being tested stays on screen and can go on.
    QCOMPARE(w.dialogs.messages, QStringList{message});
    QCOMPARE(w.text("Label1"), QStringLiteral("释义27"));
    QCOMPARE(w.text("Label4"), QStringLiteral("1"));
    w.answer(QStringLiteral("word27"));
    QCOMPARE(w.text("Label4"), QStringLiteral("2"));
    QCOMPARE(readBytes(folder.iniPath()), settings);
}

void TestForm1Faults::tenMegabyteMeaning()
{
    // One enormous meaning is shown like any other; the window answers on.
    ProgramFolder folder;
    folder.writeIni(kOneLibrary);
    const QByteArray meaning(10 * 1024 * 1024, 'm');
    QVERIFY(TestFiles::writeBytes(folder.dataPath(QStringLiteral("test.txt")),
                                  "word1\r\n" + meaning + "\r\nword2\r\nshort\r\n"));
    Window w(folder);
    w.load(QStringLiteral("1"));
    QCOMPARE(w.text("Label1").size(), meaning.size());
    QCOMPARE(w.text("Label9"), QStringLiteral("2"));
    w.answer(QStringLiteral("word1"));
    QCOMPARE(w.text("Label1"), QStringLiteral("short"));
    QCOMPARE(w.dialogs.messages, QStringList{kNotice});
}

QTEST_MAIN(TestForm1Faults)
#include "tst_form1faults.moc"
