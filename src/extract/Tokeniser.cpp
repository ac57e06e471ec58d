#include "extract/Tokeniser.h"

#include <QStringList>

namespace Tokeniser {

namespace {

// Latin letters, with the accented ones of loanwords (café, naïve); not
// Chinese characters, which QChar::isLetter() also accepts.
bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'))
        return true;
    return u >= 0xC0 && u <= 0x24F && u != 0xD7 && u != 0xF7;
}

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

bool isWordCharacter(QChar c)
{
    return isLetter(c) || c.isDigit() || isApostrophe(c) || c == QLatin1Char('-');
}

bool isSentenceEnd(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('?') || c == QChar(0x2026);
}

// Words after which a full stop does not end the sentence.
bool isTitle(QStringView word)
{
    static const QStringList titles = {
        QStringLiteral("mr"), QStringLiteral("mrs"), QStringLiteral("ms"),  QStringLiteral("dr"),
        QStringLiteral("st"), QStringLiteral("jr"),  QStringLiteral("sr"),  QStringLiteral("prof"),
        QStringLiteral("mt"), QStringLiteral("vs"),  QStringLiteral("etc"), QStringLiteral("no"),
    };
    return titles.contains(word.toString().toLower());
}

QString simplified(QStringView text)
{
    return text.toString().simplified();
}

// A chunk between spaces that is an address, not words: a URL, an e-mail
// address, or letters with dots between them (e.g., U.S., example.com).
bool isAddress(QStringView chunk)
{
    if (chunk.contains(QLatin1String("://")) || chunk.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ||
        chunk.contains(QLatin1Char('@')))
        return true;
    for (qsizetype i = 1; i + 1 < chunk.size(); ++i) {
        if (chunk[i] == QLatin1Char('.') && isLetter(chunk[i - 1]) && isLetter(chunk[i + 1]))
            return true;
    }
    return false;
}

Case caseOf(QStringView word)
{
    if (!word.front().isUpper())
        return Case::Lower;
    qsizetype upper = 0;
    qsizetype letters = 0;
    for (const QChar c : word) {
        if (c.isLetter()) {
            ++letters;
            upper += c.isUpper() ? 1 : 0;
        }
    }
    return letters > 1 && upper == letters ? Case::AllCaps : Case::Capitalised;
}

// Takes a possessive or contraction ending off; the rest of the word.
QString withoutEnding(QString word)
{
    word.replace(QChar(0x2019), QLatin1Char('\''));
    const QString lower = word.toLower();
    if (lower.endsWith(QLatin1String("n't"))) {
        const QString stem = lower.chopped(3);
        if (stem == QLatin1String("wo"))
            return QStringLiteral("will");
        if (stem == QLatin1String("ca"))
            return QStringLiteral("can");
        if (stem == QLatin1String("sha"))
            return QStringLiteral("shall");
        if (stem == QLatin1String("ai"))
            return QString();
        return word.chopped(3);
    }
    static const char *const endings[] = {"'s", "'re", "'ve", "'ll", "'d", "'m"};
    for (const char *ending : endings) {
        if (lower.endsWith(QLatin1String(ending)))
            return word.chopped(qsizetype(qstrlen(ending)));
    }
    return word;
}

void addWord(QStringView run, bool &first, QList<Token> &tokens)
{
    while (!run.isEmpty() && (isApostrophe(run.front()) || run.front() == QLatin1Char('-')))
        run = run.sliced(1);
    while (!run.isEmpty() && (isApostrophe(run.back()) || run.back() == QLatin1Char('-')))
        run.chop(1);
    if (run.isEmpty())
        return;
    const bool wasFirst = first;
    first = false;
    for (const QChar c : run) {
        if (c.isDigit())
            return;
    }
    const QString word = withoutEnding(run.toString());
    // Single letters are initials, list marks or "I" and "a"; "an" is "a"
    // again (and the dictionary gives it no exam level).
    if (word.size() < 2 || word.compare(QLatin1String("an"), Qt::CaseInsensitive) == 0)
        return;
    tokens.append(Token{word, caseOf(word), wasFirst});
}

void addWords(QStringView run, bool &first, QList<Token> &tokens)
{
    // A dash written as two hyphens separates words.
    for (const QStringView part : run.split(QStringView(u"--")))
        addWord(part, first, tokens);
}

} // namespace

QList<QString> sentences(QStringView block)
{
    QList<QString> result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < block.size(); ++i) {
        if (!isSentenceEnd(block[i]))
            continue;
        qsizetype end = i + 1;
        while (end < block.size() &&
               (isSentenceEnd(block[end]) || QStringView(u"\"')]\u201D\u2019").contains(block[end])))
            ++end;
        // Past the run of marks either way, so that a long run is read once.
        if (end < block.size() && !block[end].isSpace()) {
            i = end - 1;
            continue;
        }
        // "Why?" he asked: a sentence does not go on in small letters.
        qsizetype next = end;
        while (next < block.size() && block[next].isSpace())
            ++next;
        if (next < block.size() && block[next].isLower()) {
            i = end - 1;
            continue;
        }
        if (block[i] == QLatin1Char('.')) {
            qsizetype wordStart = i;
            while (wordStart > start && isLetter(block[wordStart - 1]))
                --wordStart;
            if (isTitle(block.sliced(wordStart, i - wordStart)))
                continue;
        }
        const QString sentence = simplified(block.sliced(start, end - start));
        if (!sentence.isEmpty())
            result.append(sentence);
        start = end;
        i = end - 1;
    }
    const QString rest = simplified(block.sliced(start));
    if (!rest.isEmpty())
        result.append(rest);
    return result;
}

QList<Token> words(QStringView sentence)
{
    QList<Token> tokens;
    bool first = true;
    qsizetype i = 0;
    while (i < sentence.size()) {
        if (sentence[i].isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < sentence.size() && !sentence[end].isSpace())
            ++end;
        const QStringView chunk = sentence.sliced(i, end - i);
        i = end;
        if (isAddress(chunk)) {
            first = false;
            continue;
        }
        qsizetype runStart = 0;
        while (runStart < chunk.size()) {
            if (!isWordCharacter(chunk[runStart])) {
                ++runStart;
                continue;
            }
            qsizetype runEnd = runStart;
            while (runEnd < chunk.size() && isWordCharacter(chunk[runEnd]))
                ++runEnd;
            addWords(chunk.sliced(runStart, runEnd - runStart), first, tokens);
            runStart = runEnd;
        }
    }
    return tokens;
}

} // namespace Tokeniser
