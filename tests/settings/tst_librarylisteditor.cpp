#include "settings/CIniFile.h"
#include "settings/LibraryListEditor.h"
#include "settings/LibraryRegistry.h"
#include "settings/ProfileFile.h"

#include "../reliability/PrivateMounts.h"
#include "ProgramFolder.h"
#include "RecordingDialogs.h"
#include "TestFiles.h"

#include <QTest>

using Outcome = LibraryListEditor::Outcome;
Q_DECLARE_METATYPE(LibraryListEditor::Outcome)

namespace {

const QStringList kThree{QStringLiteral("[LibName]"), QStringLiteral("Lib0=四级"), QStringLiteral("Lib1=水果"),
                         QStringLiteral("Lib2=GRE"), QStringLiteral("[LibraryFileName]"), QStringLiteral("四级=cet4.txt"),
                         QStringLiteral("水果=fruit.txt"), QStringLiteral("GRE=gre.txt"), QStringLiteral("[Form1LastData]"),
                         QStringLiteral("WordGroup=3")};

} // namespace

class TestLibraryListEditor : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<ProgramFolder>();
        m_ini = CIniFile();
        m_ini.SpecifyIni(m_folder->iniPath());
        m_folder->writeIni(kThree);
    }

    void edits_data();
    void edits();
    void namesRefused_data();
    void namesRefused();
    void utf8SettingsCountUtf8Bytes();
    void rememberedPlacesFollow_data();
    void rememberedPlacesFollow();
    void strandedEntriesStayHidden();
    void batchIsAllOrNothing();
    void readOnlyFolderKeepsOldSettings();

private:
    // "name=file" for each registered library, as the windows read them.
    QStringList listed()
    {
        QStringList out;
        const QStringList names = LibraryRegistry::libraryNames(m_ini);
        RecordingDialogs dialogs;
        for (int i = 0; i < names.size() - LibraryRegistry::BoxCount; ++i)
            out << names[i] + u'=' + LibraryRegistry::GetLibraryFileName(m_ini, dialogs, names[i]);
        return out;
    }

    std::unique_ptr<ProgramFolder> m_folder;
    CIniFile m_ini;
};

void TestLibraryListEditor::edits_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("add") << QStringLiteral("add") << QStringList{QStringLiteral("四级=cet4.txt"), QStringLiteral("水果=fruit.txt"),
                                                               QStringLiteral("GRE=gre.txt"), QStringLiteral("托福=toefl.txt")};
    QTest::newRow("remove first") << QStringLiteral("remove0") << QStringList{QStringLiteral("水果=fruit.txt"), QStringLiteral("GRE=gre.txt")};
    QTest::newRow("remove middle") << QStringLiteral("remove1") << QStringList{QStringLiteral("四级=cet4.txt"), QStringLiteral("GRE=gre.txt")};
    QTest::newRow("remove last") << QStringLiteral("remove2") << QStringList{QStringLiteral("四级=cet4.txt"), QStringLiteral("水果=fruit.txt")};
    QTest::newRow("rename") << QStringLiteral("rename") << QStringList{QStringLiteral("四级=cet4.txt"), QStringLiteral("水果蔬菜=fruit.txt"),
                                                                     QStringLiteral("GRE=gre.txt")};
    QTest::newRow("rename letter case") << QStringLiteral("renamecase") << QStringList{QStringLiteral("四级=cet4.txt"), QStringLiteral("水果=fruit.txt"),
                                                                                     QStringLiteral("gre=gre.txt")};
    QTest::newRow("move up") << QStringLiteral("up") << QStringList{QStringLiteral("四级=cet4.txt"), QStringLiteral("GRE=gre.txt"),
                                                                  QStringLiteral("水果=fruit.txt")};
    QTest::newRow("move down") << QStringLiteral("down") << QStringList{QStringLiteral("水果=fruit.txt"), QStringLiteral("四级=cet4.txt"),
                                                                      QStringLiteral("GRE=gre.txt")};
}

void TestLibraryListEditor::edits()
{
    QFETCH(QString, action);
    QFETCH(QStringList, after);
    LibraryListEditor editor(m_ini);
    Outcome outcome = Outcome::NoSuchLibrary;
    if (action == QStringLiteral("add"))
        outcome = editor.add(QStringLiteral(" 托福 "), QStringLiteral("toefl.txt"));
    else if (action.startsWith(QStringLiteral("remove")))
        outcome = editor.remove(action.back().digitValue());
    else if (action == QStringLiteral("rename"))
        outcome = editor.rename(1, QStringLiteral("水果蔬菜"));
    else if (action == QStringLiteral("renamecase"))
        outcome = editor.rename(2, QStringLiteral("gre"));
    else if (action == QStringLiteral("up"))
        outcome = editor.move(2, -1);
    else if (action == QStringLiteral("down"))
        outcome = editor.move(0, 1);
    QCOMPARE(outcome, Outcome::Done);
    QCOMPARE(listed(), after);

    // Contiguous: no key after the last entry, and no file name left over
    // for a name that is gone.
    const QString text = TestFiles::fromGbk(TestFiles::readBytes(m_folder->iniPath()));
    QVERIFY2(!text.contains(QStringLiteral("Lib") + QString::number(after.size()) + u'='), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral(".txt")), after.size());
    // Other sections are left alone, and the file stays GBK with CR LF.
    QCOMPARE(m_ini.ReadString(QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"), 10), QStringLiteral("3"));
    QCOMPARE(text.count(u'\n'), text.count(QStringLiteral("\r\n")));
}

void TestLibraryListEditor::namesRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<Outcome>("outcome");
    const QString file = QStringLiteral("new.txt");
    QTest::newRow("19 bytes fit") << QStringLiteral("一二三四五六七八九a") << file << Outcome::Done;
    QTest::newRow("20 bytes") << QStringLiteral("一二三四五六七八九十") << file << Outcome::NameTooLong;
    QTest::newRow("box name") << QStringLiteral("月光宝盒3") << file << Outcome::NameIsBox;
    QTest::newRow("taken") << QStringLiteral("gre") << file << Outcome::NameTaken;
    QTest::newRow("blank") << QStringLiteral("   ") << file << Outcome::NameEmpty;
    QTest::newRow("equals sign") << QStringLiteral("a=b") << file << Outcome::NameBadCharacter;
    QTest::newRow("bracket") << QStringLiteral("[a]") << file << Outcome::NameBadCharacter;
    QTest::newRow("quoted") << QStringLiteral("\"a\"") << file << Outcome::NameBadCharacter;
    QTest::newRow("line break") << QStringLiteral("a\nb") << file << Outcome::NameBadCharacter;
    QTest::newRow("file 19 bytes") << QStringLiteral("新") << QStringLiteral("abcdefghijklmno.txt") << Outcome::Done;
    QTest::newRow("file 20 bytes") << QStringLiteral("新") << QStringLiteral("abcdefghijklmnop.txt") << Outcome::FileNameTooLong;
    QTest::newRow("file path") << QStringLiteral("新") << QStringLiteral("../x.txt") << Outcome::FileNameBadCharacter;
    QTest::newRow("file of a box") << QStringLiteral("新") << QStringLiteral("Box2.txt") << Outcome::FileNameBadCharacter;
    QTest::newRow("no file") << QStringLiteral("新") << QStringLiteral(" ") << Outcome::FileNameEmpty;
}

void TestLibraryListEditor::namesRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    QFETCH(Outcome, outcome);
    const QByteArray before = TestFiles::readBytes(m_folder->iniPath());
    LibraryListEditor editor(m_ini);
    QCOMPARE(editor.add(name, fileName), outcome);
    if (outcome == Outcome::Done) {
        QCOMPARE(listed().last(), name + u'=' + fileName);
        return;
    }
    QCOMPARE(TestFiles::readBytes(m_folder->iniPath()), before);
    if (fileName == QStringLiteral("new.txt") && outcome != Outcome::NameTaken)
        QCOMPARE(editor.rename(0, name), outcome);
    QCOMPARE(TestFiles::readBytes(m_folder->iniPath()), before);
}

void TestLibraryListEditor::utf8SettingsCountUtf8Bytes()
{
    QVERIFY(TestFiles::writeBytes(m_folder->iniPath(), QStringLiteral("[LibName]\r\nLib0=四级\r\n[LibraryFileName]\r\n四级=a.txt\r\n").toUtf8()));
    LibraryListEditor editor(m_ini);
    QCOMPARE(editor.encoding(), TextCodec::Encoding::Utf8);
    // Seven Chinese characters are 14 bytes in GBK but 21 in UTF-8.
    QCOMPARE(editor.add(QStringLiteral("一二三四五六七"), QStringLiteral("b.txt")), Outcome::NameTooLong);
    QCOMPARE(editor.add(QStringLiteral("一二三四五六"), QStringLiteral("b.txt")), Outcome::Done);
    QCOMPARE(listed(), (QStringList{QStringLiteral("四级=a.txt"), QStringLiteral("一二三四五六=b.txt")}));
    QCOMPARE(TextCodec::detect(TestFiles::readBytes(m_folder->iniPath())), TextCodec::Encoding::Utf8);
}

void TestLibraryListEditor::rememberedPlacesFollow_data()
{
    // Stored: the test window on 水果 (1), the box window on 月光宝盒0 (3),
    // the browse settings on 四级 (0).
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("places"); // Form1, Form2, Form4; "-" for none
    QTest::newRow("add") << QStringLiteral("add") << QStringList{QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("0")};
    QTest::newRow("remove 四级") << QStringLiteral("remove0") << QStringList{QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("-")};
    QTest::newRow("remove 水果") << QStringLiteral("remove1") << QStringList{QStringLiteral("-"), QStringLiteral("2"), QStringLiteral("0")};
    QTest::newRow("move 水果 up") << QStringLiteral("up") << QStringList{QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("1")};
    QTest::newRow("rename 水果") << QStringLiteral("rename") << QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("0")};
}

void TestLibraryListEditor::rememberedPlacesFollow()
{
    QFETCH(QString, action);
    QFETCH(QStringList, places);
    m_folder->writeIni(kThree.mid(0, 9) + QStringList{QStringLiteral("WordLibrary=1"), QStringLiteral("WordGroup=3"),
                                                      QStringLiteral("[Form2LastData]"), QStringLiteral("WordLibrary=3"),
                                                      QStringLiteral("[Form4LastData]"), QStringLiteral("WordLibrary=0")});
    LibraryListEditor editor(m_ini);
    Outcome outcome = Outcome::NoSuchLibrary;
    if (action == QStringLiteral("add"))
        outcome = editor.add(QStringLiteral("托福"), QStringLiteral("toefl.txt"));
    else if (action.startsWith(QStringLiteral("remove")))
        outcome = editor.remove(action.back().digitValue());
    else if (action == QStringLiteral("up"))
        outcome = editor.move(1, -1);
    else
        outcome = editor.rename(1, QStringLiteral("水果蔬菜"));
    QCOMPARE(outcome, Outcome::Done);
    QStringList stored;
    for (const char *section : {"Form1LastData", "Form2LastData", "Form4LastData"}) {
        const QString value = m_ini.ReadString(QString::fromLatin1(section), QStringLiteral("WordLibrary"), 10);
        stored << (value.isEmpty() ? QStringLiteral("-") : value);
    }
    QCOMPARE(stored, places);
    QCOMPARE(m_ini.ReadString(QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"), 10), QStringLiteral("3"));
}

void TestLibraryListEditor::strandedEntriesStayHidden()
{
    // Lib2 is missing, so Lib3 has never been seen by the windows. Adding one
    // library must not bring it back.
    m_folder->writeIni({QStringLiteral("[LibName]"), QStringLiteral("Lib0=a"), QStringLiteral("Lib1=b"), QStringLiteral("Lib3=stray"),
                        QStringLiteral("Lib1=b again"), QStringLiteral("[LibraryFileName]"), QStringLiteral("a=a.txt"),
                        QStringLiteral("b=b.txt"), QStringLiteral("stray=s.txt")});
    LibraryListEditor editor(m_ini);
    QCOMPARE(editor.add(QStringLiteral("c"), QStringLiteral("c.txt")), Outcome::Done);
    QCOMPARE(listed(), (QStringList{QStringLiteral("a=a.txt"), QStringLiteral("b=b.txt"), QStringLiteral("c=c.txt")}));
    // Removing the last one leaves no duplicate Lib1 to take its place either.
    QCOMPARE(editor.remove(2), Outcome::Done);
    QCOMPARE(editor.remove(1), Outcome::Done);
    QCOMPARE(listed(), QStringList{QStringLiteral("a=a.txt")});
    QVERIFY(!TestFiles::fromGbk(TestFiles::readBytes(m_folder->iniPath())).contains(QStringLiteral("b again")));
    QCOMPARE(editor.move(0, 1), Outcome::NoSuchLibrary);
    QCOMPARE(editor.remove(1), Outcome::NoSuchLibrary);
}

void TestLibraryListEditor::batchIsAllOrNothing()
{
    const QByteArray before = TestFiles::readBytes(m_folder->iniPath());
    // The second change is refused (a line break in a value): the first is
    // not saved either.
    QVERIFY(!m_ini.WriteChanges({{QStringLiteral("LibName"), QStringLiteral("Lib3"), QStringLiteral("托福")},
                                 {QStringLiteral("LibName"), QStringLiteral("Lib4"), QStringLiteral("a\nb")}}));
    QCOMPARE(TestFiles::readBytes(m_folder->iniPath()), before);
    QVERIFY(m_ini.WriteChanges({{QStringLiteral("LibName"), QStringLiteral("Lib2"), std::nullopt},
                                {QStringLiteral("LibName"), QStringLiteral("Lib9"), std::nullopt}}));
    QCOMPARE(listed(), (QStringList{QStringLiteral("四级=cet4.txt"), QStringLiteral("水果=fruit.txt")}));
    // A batch that changes nothing does not touch a missing file.
    const QString missing = m_folder->path() + QStringLiteral("/none.ini");
    QVERIFY(Profile::writeChanges(missing, {{QStringLiteral("A"), QStringLiteral("b"), std::nullopt}}));
    QVERIFY(!QFile::exists(missing));
}

void TestLibraryListEditor::readOnlyFolderKeepsOldSettings()
{
    REQUIRE_PRIVATE_MOUNTS();
    const QByteArray before = TestFiles::readBytes(m_folder->iniPath());
    PrivateMounts::Mount mount;
    const QString error = mount.readOnly(m_folder->path());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    LibraryListEditor editor(m_ini);
    QCOMPARE(editor.add(QStringLiteral("托福"), QStringLiteral("toefl.txt")), Outcome::WriteFailed);
    QCOMPARE(editor.remove(0), Outcome::WriteFailed);
    QCOMPARE(editor.move(0, 1), Outcome::WriteFailed);
    QCOMPARE(TestFiles::readBytes(m_folder->iniPath()), before);
    QCOMPARE(listed().size(), 3);
}

QTEST_GUILESS_MAIN(TestLibraryListEditor)
#include "tst_librarylisteditor.moc"
