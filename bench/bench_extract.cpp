// What word extraction costs: a 100,000-word novel (a passage written here,
// repeated) and an EPUB of about 1 MB (chapters of sentences drawn at random
// from the dictionary's words, written through minizip), each read, split,
// reduced to base forms and filtered against the level 四级 and below, with
// the dictionary read first as the command line does. Targets: the novel
// under 2 s, the EPUB under 3 s.
//
//     bench_extract [path/to/ecdict-core.tsv]

#include "dict/Dictionary.h"
#include "extract/TextSources.h"
#include "extract/Tokeniser.h"
#include "extract/WordExtractor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <zip.h>

#include <cstdio>
#include <random>

namespace {

constexpr int Runs = 3;

const char passage[] =
    "The lighthouse keeper had lived alone on the island for eleven winters. Every evening he climbed the narrow "
    "stairs, polished the great lens and watched the ships pass on their way to the harbour. He kept a journal "
    "in which he recorded the weather, the birds that rested on the rocks and the names of the vessels he "
    "recognised. When the storms arrived in November, the waves struck the walls with such force that the whole "
    "tower trembled, yet the light never failed. Villagers on the mainland said he was stubborn, perhaps a little "
    "mad, but the fishermen trusted him more than any chart. One morning a small boat drifted towards the shore "
    "with a sleeping child wrapped in a sailor's coat. The keeper carried her up to the kitchen, warmed some milk "
    "and wondered what the sea intended by such a gift. She woke, looked around the crowded shelves and asked, "
    "quite seriously, whether he had been expecting her. \"I suppose I have,\" he answered, surprised by his own "
    "words. From that day the journal recorded two lives instead of one. ";

struct Figure
{
    qint64 best = -1;
    int candidates = 0;
};

// Reads `path` and extracts its words `Runs` times, with a fresh dictionary
// each time; the fastest run.
Figure measure(const QString &path, const QString &dictionaryPath)
{
    Figure figure;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        Dictionary dictionary({dictionaryPath});
        dictionary.load();
        const TextSources::Document document = TextSources::readFile(path);
        BaseForms forms(dictionary);
        ExtractOptions options;
        options.knownLevel = ExamLevel::fromName(QStringLiteral("四级"));
        const ExtractResult result = extractWords(document.blocks, dictionary, forms, options);
        const qint64 elapsed = timer.elapsed();
        if (!document.error.isEmpty() || !result.error.isEmpty()) {
            std::fprintf(stderr, "%s: %s%s\n", qPrintable(path), qPrintable(document.error), qPrintable(result.error));
            return figure;
        }
        figure.candidates = int(result.candidates.size());
        if (figure.best < 0 || elapsed < figure.best)
            figure.best = elapsed;
    }
    return figure;
}

int wordCount(const QString &text)
{
    int words = 0;
    for (const QString &sentence : Tokeniser::sentences(text))
        words += int(Tokeniser::words(sentence).size());
    return words;
}

// Lower-case single words of the dictionary, to draw the EPUB's text from.
QStringList vocabulary(const QString &dictionaryPath)
{
    QStringList words;
    QFile file(dictionaryPath);
    if (!file.open(QIODevice::ReadOnly))
        return words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray word = line.left(line.indexOf('\t'));
        if (!word.isEmpty() && !word.startsWith('#') && word == word.toLower() && !word.contains(' '))
            words.append(QString::fromUtf8(word));
    }
    return words;
}

bool writeEpub(const QString &path, const QStringList &words, qint64 targetBytes)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (zip == nullptr)
        return false;
    auto add = [&](const QByteArray &name, const QByteArray &bytes) {
        zip_fileinfo info{};
        zipOpenNewFileInZip64(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0);
        zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size()));
        zipCloseFileInZip(zip);
    };
    add("mimetype", "application/epub+zip");
    add("META-INF/container.xml", "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"content.opf\"/>"
                                  "</rootfiles></container>");
    std::mt19937 random(1);
    QByteArray manifest;
    QByteArray spine;
    // Drawn words compress to about a third; a few chapters more than
    // needed is fine, the size written is printed.
    const int chapters = int(targetBytes * 3 / 100000) + 1;
    for (int chapter = 0; chapter < chapters; ++chapter) {
        QString body;
        while (body.size() < 100000) {
            QString sentence;
            const int length = 6 + int(random() % 12);
            for (int i = 0; i < length; ++i) {
                QString word = words[int(random() % words.size())];
                if (i == 0)
                    word[0] = word[0].toUpper();
                sentence += (i == 0 ? QString() : QStringLiteral(" ")) + word;
            }
            body += QStringLiteral("<p>") + sentence + QStringLiteral(".</p>\n");
        }
        const QByteArray name = "chapter" + QByteArray::number(chapter) + ".xhtml";
        add(name, "<?xml version=\"1.0\"?><html><body>" + body.toUtf8() + "</body></html>");
        manifest += "<item id=\"c" + QByteArray::number(chapter) + "\" href=\"" + name + "\"/>";
        spine += "<itemref idref=\"c" + QByteArray::number(chapter) + "\"/>";
    }
    add("content.opf",
        "<?xml version=\"1.0\"?><package><manifest>" + manifest + "</manifest><spine>" + spine + "</spine></package>");
    return zipClose(zip, nullptr) == ZIP_OK;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString dictionaryPath = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                            : QDir(QCoreApplication::applicationDirPath())
                                                  .filePath(QStringLiteral("../data/") + Dictionary::fileName());
    if (!QFileInfo::exists(dictionaryPath)) {
        std::fprintf(stderr, "no dictionary at %s\n", qPrintable(dictionaryPath));
        return 1;
    }
    QTemporaryDir dir;

    const QString paragraph = QString::fromUtf8(passage);
    const int perPassage = wordCount(paragraph);
    QString novel;
    int words = 0;
    for (int i = 0; words < 100000; ++i) {
        novel += paragraph;
        words += perPassage;
        if (i % 5 == 4)
            novel += QStringLiteral("\n\n");
    }
    const QString novelPath = dir.filePath(QStringLiteral("novel.txt"));
    QFile novelFile(novelPath);
    if (!novelFile.open(QIODevice::WriteOnly) || novelFile.write(novel.toUtf8()) < 0)
        return 1;
    novelFile.close();
    const Figure text = measure(novelPath, dictionaryPath);
    std::printf("novel: %d words, %.1f KB: %lld ms (best of %d), words to learn: %d\n", words,
                double(QFileInfo(novelPath).size()) / 1024, text.best, Runs, text.candidates);

    const QString epubPath = dir.filePath(QStringLiteral("book.epub"));
    if (!writeEpub(epubPath, vocabulary(dictionaryPath), 1024 * 1024))
        return 1;
    const Figure epub = measure(epubPath, dictionaryPath);
    std::printf("epub: %.2f MB: %lld ms (best of %d), words to learn: %d\n",
                double(QFileInfo(epubPath).size()) / (1024 * 1024), epub.best, Runs, epub.candidates);
    return text.best < 0 || epub.best < 0 ? 1 : 0;
}
