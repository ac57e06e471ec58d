// The settings file under arbitrary bytes: whatever a user's editor leaves in
// lexvan.ini, reads must stay within their length, a value that fits must
// come back whole, the program's own writes must succeed and read back, and
// a write must not disturb any other value.
//
// Input: the whole file.

#include "FuzzSupport.h"

#include "settings/CIniFile.h"
#include "settings/ProfileFile.h"
#include "text/TextCodec.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <utility>

namespace {

using FuzzSupport::readFile;
using FuzzSupport::writeFile;

constexpr qint64 kLengths[] = {10, 5, 20};
constexpr qint64 kWhole = qint64(1) << 30;

struct Name
{
    QString section;
    QString key;
};

QString trimBlanks(QString text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}

// Section and key names as a careless reader would see them in the file: the
// names to ask for. Where they differ from the real reader's idea of the
// file does not matter; they are only questions.
QList<Name> namesIn(QByteArrayView bytes)
{
    const TextCodec::Encoding encoding = TextCodec::detect(bytes);
    QList<Name> names;
    QString section;
    for (const QByteArrayView raw : FuzzSupport::referenceLines(bytes)) {
        const QString line = trimBlanks(TextCodec::decode(raw, encoding));
        const qsizetype close = line.indexOf(u']');
        if (line.startsWith(u'[') && close > 0) {
            section = trimBlanks(line.mid(1, close - 1));
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && !section.isEmpty())
            names.append({section, trimBlanks(line.left(equals))});
        if (names.size() >= 12)
            break;
    }
    return names;
}

bool hasReplacement(const QString &text)
{
    return text.contains(QChar(QChar::ReplacementCharacter));
}

// Every read stays within its length; a value that fits is read whole and a
// longer one comes back as its beginning.
void checkReads(const QString &path, const Name &name, TextCodec::Encoding encoding)
{
    const QString whole = Profile::readString(path, name.section, name.key, kWhole);
    const qsizetype wholeBytes = TextCodec::encode(whole, encoding).size();
    for (const qint64 length : kLengths) {
        const QString cut = Profile::readString(path, name.section, name.key, length);
        FUZZ_CHECK(cut.size() <= length - 1, "a read returns no more than length - 1 bytes");
        FUZZ_CHECK(whole.startsWith(cut), "a cut value is the beginning of the stored value");
        if (!hasReplacement(whole)) {
            FUZZ_CHECK(TextCodec::encode(cut, encoding).size() <= length - 1,
                       "a read returns no more than length - 1 bytes of the file's encoding");
            if (wholeBytes <= length - 1)
                FUZZ_CHECK(cut == whole, "a value that fits is read whole");
        }
    }
}

QList<QString> valuesOf(const QString &path, const QList<Name> &names)
{
    QList<QString> values;
    for (const Name &name : names)
        values.append(Profile::readString(path, name.section, name.key, kWhole));
    return values;
}

// Values of the kinds the program writes, and one that is not ASCII.
QString valueFor(uint32_t seed)
{
    static const char *const kValues[] = {"1", "9999", "-1", "123456789012", "True", "Sequence", "Next"};
    const size_t count = sizeof kValues / sizeof kValues[0];
    if (seed % (count + 1) == count)
        return QStringLiteral("四级词汇.txt");
    return QString::fromLatin1(kValues[seed % (count + 1)]);
}

// Writes one value and holds the file to it: read back whole, cut like any
// other value, the file still read in the same encoding, and every other
// value as before.
bool writeAndCheck(const QString &path, const Name &target, const QString &value, const QList<Name> &others,
                   bool mustSucceed)
{
    const QByteArray before = readFile(path);
    const QList<QString> valuesBefore = valuesOf(path, others);
    const bool written = Profile::writeString(path, target.section, target.key, value);
    const QByteArray after = readFile(path);
    if (mustSucceed)
        FUZZ_CHECK(written, "the program's own settings can always be written");
    if (!written) {
        FUZZ_CHECK(after == before, "a refused write leaves the file as it was");
        return false;
    }
    FUZZ_CHECK(Profile::readString(path, target.section, target.key, kWhole) == value,
               "a written value reads back as written");
    const TextCodec::Encoding encoding = TextCodec::detect(after);
    FUZZ_CHECK(before.isEmpty() || encoding == TextCodec::detect(before), "a write keeps the file's encoding");
    checkReads(path, target, encoding);
    const QList<QString> valuesAfter = valuesOf(path, others);
    for (qsizetype i = 0; i < others.size(); ++i) {
        const Name &other = others[i];
        if (QString::compare(other.section, target.section, Qt::CaseInsensitive) == 0 &&
            QString::compare(other.key, target.key, Qt::CaseInsensitive) == 0)
            continue;
        FUZZ_CHECK(valuesAfter[i] == valuesBefore[i], "a write leaves every other value as it was");
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = FuzzSupport::scratchDir() + QStringLiteral("/lexvan.ini");
    writeFile(path, bytes);

    // What the program asks for, and what the file itself seems to hold.
    QList<Name> names = {
        {QStringLiteral("Form1LastData"), QStringLiteral("WordGroup")},
        {QStringLiteral("Form4LastData"), QStringLiteral("CircuMode")},
        {QStringLiteral("LibName"), QStringLiteral("Lib0")},
    };
    CIniFile ini;
    ini.SpecifyIni(path);
    const QString library = ini.ReadString(QStringLiteral("LibName"), QStringLiteral("Lib0"), 20);
    if (!library.trimmed().isEmpty())
        names.append({QStringLiteral("LibraryFileName"), library.trimmed()});
    names += namesIn(bytes);

    const TextCodec::Encoding encoding = TextCodec::detect(bytes);
    for (const Name &name : std::as_const(names))
        checkReads(path, name, encoding);
    ini.ReadInt(QStringLiteral("Form4LastData"), QStringLiteral("DelayTime"));

    uint32_t seed = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 16777619u;

    // The group loaders' write, then one to a name found in the file.
    const QString group = QString::number(seed % 10000 + 1);
    writeAndCheck(path, names[0], group, names, true);
    FUZZ_CHECK(ini.ReadString(QStringLiteral("Form1LastData"), QStringLiteral("WordGroup"), 10) == group,
               "WordGroup reads back through the settings object");
    const Name &target = names[qsizetype(seed / 7 % uint32_t(names.size()))];
    writeAndCheck(path, target, valueFor(seed / 13), names, false);
    return 0;
}
