#include "dict/MeaningLine.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

// The meaning label: 345 pixels wide, two lines, a Chinese character 20
// pixels and a Latin one 10 at its font. The ready-made libraries are
// fitted with the same figures.
constexpr int LabelWidth = 345;
constexpr int LabelLines = 2;
constexpr int WideAdvance = 20;
constexpr int NarrowAdvance = 10;
constexpr int MaxParts = 3;
constexpr int MaxSenses = 2;

// Characters that may not start a line, and that may not end one.
const QString NoLineStart = QStringLiteral("，；。、：？！）」』】》…,.;:?!)]/");
const QString NoLineEnd = QStringLiteral("（「『【《([“");
const QString Openers = QStringLiteral("(（[【<《");
const QString Closers = QStringLiteral(")）]】>》");
const QString SenseBreaks = QStringLiteral(",，;；");

bool isWide(char32_t c)
{
    // CJK and full-width forms, and the punctuation a Chinese font draws
    // full width (dashes, curly quotes, the ellipsis, the middle dot).
    return c >= 0x2E80 || (c >= 0x2010 && c <= 0x203B) || c == 0xB7 || c == 0xD7 || c == 0xF7;
}

int advance(char32_t c)
{
    return isWide(c) ? WideAdvance : NarrowAdvance;
}

enum class Kind { General, Subject, Web };

// One line of a translation: its part of speech ("vt.", "n./vt.", or empty)
// and its senses.
struct Line
{
    QString label;
    QStringList senses;
    Kind kind = Kind::General;
};

QStringList posNames(const QString &label)
{
    static const QRegularExpression separators(QStringLiteral("[.\\s/]+"));
    return label.split(separators, Qt::SkipEmptyParts);
}

// Parts of speech that count as one: vt. and vi. are both verbs.
QSet<QString> posClasses(const QString &label)
{
    QSet<QString> classes;
    for (const QString &name : posNames(label)) {
        if (name == QLatin1String("abbr"))
            continue;
        if (name == QLatin1String("vt") || name == QLatin1String("vi"))
            classes.insert(QStringLiteral("v"));
        else if (name == QLatin1String("adj") || name == QLatin1String("s"))
            classes.insert(QStringLiteral("a"));
        else if (name == QLatin1String("pl"))
            classes.insert(QStringLiteral("n"));
        else
            classes.insert(name);
    }
    return classes;
}

bool isFunctionWord(const Line &line)
{
    static const QStringList functionWords{QStringLiteral("aux"), QStringLiteral("prep"), QStringLiteral("conj"),
                                           QStringLiteral("pron"), QStringLiteral("art")};
    const QStringList names = posNames(line.label);
    return std::any_of(names.begin(), names.end(), [](const QString &n) { return functionWords.contains(n); });
}

bool isAbbreviation(const Line &line)
{
    return posNames(line.label).contains(QStringLiteral("abbr"));
}

// "go的过去式", "perk的复数", "good的比较级": a note that the word is a
// form of another, not a meaning of its own.
bool isInflectionNote(const QString &sense)
{
    static const QRegularExpression note(
        QStringLiteral("^[A-Za-z][A-Za-z'.\\- ]*的(?:名词|动词|形容词|副词)?"
                       "(?:复数|过去式|过去分词|现在分词|第三人称|单数|比较级|最高级|变体|变形|过去|现在式|ing形式|-ing形式)"));
    return note.match(sense).hasMatch();
}

// Splits at , ， ; ； outside brackets.
QStringList splitSenses(const QString &text)
{
    QStringList senses;
    int depth = 0;
    QString current;
    for (const QChar ch : text) {
        if (Openers.contains(ch))
            ++depth;
        else if (Closers.contains(ch) && depth > 0)
            --depth;
        if (depth == 0 && SenseBreaks.contains(ch)) {
            senses.append(current.trimmed());
            current.clear();
        } else {
            current.append(ch);
        }
    }
    senses.append(current.trimmed());
    senses.removeAll(QString());
    return senses;
}

// Drops bracketed notes: "同样的人(或物)" to "同样的人". 《》 names a work
// and stays.
QString stripNotes(const QString &sense)
{
    static const QString open = QStringLiteral("(（[【");
    static const QString close = QStringLiteral(")）]】");
    QString out;
    QString expected; // the closing brackets awaited, innermost last
    for (const QChar ch : sense) {
        const int opener = open.indexOf(ch);
        if (opener >= 0)
            expected.append(close.at(opener));
        else if (!expected.isEmpty() && ch == expected.back())
            expected.chop(1);
        else if (expected.isEmpty())
            out.append(ch);
    }
    if (!expected.isEmpty()) {
        // Unbalanced ("[对...厌倦的；生腻的[with]"): drop the whole notes
        // there are, then the stray brackets.
        static const QRegularExpression whole(QStringLiteral("[(（\\[【][^(（\\[【)）\\]】]*[)）\\]】]"));
        static const QRegularExpression stray(QStringLiteral("[(（\\[【)）\\]】]"));
        out = sense;
        for (QString shorter = QString(out).remove(whole); shorter != out; shorter = QString(out).remove(whole))
            out = shorter;
        out.remove(stray);
    }
    out.replace(QStringLiteral("..."), QStringLiteral("…"));
    static const QRegularExpression edges(QStringLiteral("^[\\s,，;；:：、]+|[\\s,，;；:：、]+$"));
    out.remove(edges);
    out.removeIf([](QChar c) { return !c.isPrint(); });
    return out.trimmed();
}

std::vector<Line> parseLines(const QString &translation)
{
    static const QRegularExpression partOfSpeech(QStringLiteral("^((?:[a-z]{1,6}\\.\\s*/?\\s*)+)"));
    static const QRegularExpression subjectNote(QStringLiteral("(?:^|(?<=[\\s.]))\\[[^\\[\\]\\s]{1,4}\\]\\s*"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QString web = QStringLiteral("[网络]");
    std::vector<Line> lines;
    for (const QString &raw : translation.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")))) {
        QString text = raw.trimmed();
        if (text.isEmpty())
            continue;
        Kind kind = text.startsWith(web) ? Kind::Web : text.startsWith(QLatin1Char('[')) ? Kind::Subject : Kind::General;
        const QRegularExpressionMatch match = partOfSpeech.match(text);
        // A bare line after a "[计]" line carries on that subject's list.
        if (kind == Kind::General && !match.hasMatch() && !lines.empty() && lines.back().kind != Kind::General)
            kind = lines.back().kind;
        QString label;
        if (match.hasMatch()) {
            label = match.captured(1).remove(blanks);
            while (label.endsWith(QLatin1Char('/')))
                label.chop(1);
            text = text.mid(match.capturedEnd());
            if (kind == Kind::General && text.startsWith(QLatin1Char('[')))
                kind = text.startsWith(web) ? Kind::Web : Kind::Subject;
        }
        text = text.remove(subjectNote).trimmed();
        Line line{label, {}, kind};
        for (const QString &piece : splitSenses(text)) {
            const QString sense = stripNotes(piece);
            if (!sense.isEmpty() && !line.senses.contains(sense))
                line.senses.append(sense);
        }
        if (!line.senses.isEmpty())
            lines.push_back(line);
    }
    return lines;
}

// The lines a meaning is taken from: the general ones, else the subject
// ones, else the [网络] ones. Inflection notes give way to any other sense,
// abbreviation expansions to any line that is not one.
std::vector<Line> ownLines(const std::vector<Line> &lines)
{
    for (const Kind kind : {Kind::General, Kind::Subject, Kind::Web}) {
        std::vector<Line> pool;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(pool),
                     [kind](const Line &l) { return l.kind == kind; });
        if (pool.empty())
            continue;
        const bool onlyAbbreviations = std::all_of(pool.begin(), pool.end(), isAbbreviation);
        std::vector<Line> cleaned;
        std::vector<Line> notesOnly;
        for (const Line &line : pool) {
            if (isAbbreviation(line) && !onlyAbbreviations)
                continue;
            Line kept{line.label, {}, line.kind};
            for (const QString &sense : line.senses) {
                if (!isInflectionNote(sense))
                    kept.senses.append(sense);
            }
            if (!kept.senses.isEmpty())
                cleaned.push_back(kept);
            else
                notesOnly.push_back(line);
        }
        // A word that is only a form of another: its note is still better
        // than nothing for an imported list.
        return cleaned.empty() ? notesOnly : cleaned;
    }
    return {};
}

// Up to three lines, one per part of speech, function words first.
std::vector<Line> chooseParts(std::vector<Line> lines)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line &a, const Line &b) { return isFunctionWord(a) && !isFunctionWord(b); });
    std::vector<Line> chosen;
    QSet<QString> seen;
    for (const Line &line : lines) {
        QSet<QString> classes = posClasses(line.label);
        if (classes.isEmpty())
            classes.insert(QString());
        if (classes.intersects(seen))
            continue;
        seen.unite(classes);
        chosen.push_back(line);
        if (int(chosen.size()) == MaxParts)
            break;
    }
    return chosen;
}

// The meaning text, identical senses merged across parts of speech.
QString compose(const std::vector<Line> &parts, const std::vector<int> &sensesEach)
{
    struct Item
    {
        QStringList labels;
        QString sense;
    };
    std::vector<Item> items;
    for (size_t i = 0; i < parts.size(); ++i) {
        const Line &line = parts[i];
        for (const QString &sense : line.senses.mid(0, sensesEach[i])) {
            auto same = std::find_if(items.begin(), items.end(), [&sense](const Item &it) { return it.sense == sense; });
            if (same == items.end())
                items.push_back(Item{line.label.isEmpty() ? QStringList() : QStringList{line.label}, sense});
            else if (!line.label.isEmpty() && !same->labels.contains(line.label))
                same->labels.append(line.label);
        }
    }
    QStringList groups;
    QString lastLabel;
    QStringList senses;
    auto flush = [&] {
        if (!senses.isEmpty())
            groups.append((lastLabel.isEmpty() ? QString() : lastLabel + QLatin1Char(' ')) +
                          senses.join(QStringLiteral("，")));
        senses.clear();
    };
    for (const Item &item : items) {
        const QString label = item.labels.join(QLatin1Char('/'));
        if (label != lastLabel)
            flush();
        lastLabel = label;
        senses.append(item.sense);
    }
    flush();
    return groups.join(QStringLiteral("；"));
}

bool fits(const QString &text)
{
    return meaningLabelLines(text) <= LabelLines;
}

} // namespace

int meaningLabelLines(const QString &text)
{
    // Tokens that are never split: a Latin word, a Chinese character with
    // the punctuation that must stay with it, a space.
    struct Token
    {
        int width;
        bool latin;
        bool space;
    };
    std::vector<Token> tokens;
    bool glueNext = false;
    for (const char32_t c : text.toUcs4()) {
        const bool noStart = c <= 0xFFFF && NoLineStart.contains(QChar(char16_t(c)));
        if (noStart && tokens.size() > 1 && tokens.back().space) {
            // "复数 )": no break before the closer even after a blank, so the
            // blank stops hanging and joins the word before it.
            const int blank = tokens.back().width;
            tokens.pop_back();
            tokens.back().width += blank;
        }
        if (c == U' ') {
            tokens.push_back(Token{advance(c), false, true});
            glueNext = false;
            continue;
        }
        const bool latin = !isWide(c);
        if (!tokens.empty() && (noStart || glueNext || (latin && tokens.back().latin && !tokens.back().space))) {
            tokens.back().width += advance(c);
            tokens.back().latin = latin;
        } else {
            tokens.push_back(Token{advance(c), latin, false});
        }
        glueNext = c <= 0xFFFF && NoLineEnd.contains(QChar(char16_t(c)));
    }
    int lines = 1;
    int used = 0;
    for (const Token &token : tokens) {
        if (token.space) {
            used += token.width; // a space at a line's end hangs over
            continue;
        }
        if (used > 0 && used + token.width > LabelWidth) {
            ++lines;
            used = 0;
        }
        used += token.width;
    }
    return lines;
}

QString meaningLineOf(const QString &translation)
{
    std::vector<Line> parts = chooseParts(ownLines(parseLines(translation)));
    if (parts.empty())
        return QString();
    std::vector<int> sensesEach;
    for (const Line &line : parts)
        sensesEach.push_back(std::min(MaxSenses, int(line.senses.size())));
    QString text;
    for (;;) {
        text = compose(parts, sensesEach);
        if (fits(text) || (parts.size() == 1 && sensesEach.front() == 1))
            break;
        // First one sense for each part of speech, from the last; then drop
        // the last part of speech.
        auto many = std::find_if(sensesEach.rbegin(), sensesEach.rend(), [](int n) { return n > 1; });
        if (many != sensesEach.rend()) {
            --*many;
        } else {
            parts.pop_back();
            sensesEach.pop_back();
        }
    }
    if (!fits(text)) {
        // One sense too long for the label: cut at a character.
        const QString ellipsis = QStringLiteral("…");
        while (!text.isEmpty() && !fits(text + ellipsis))
            text.chop(text.size() >= 2 && text.at(text.size() - 1).isLowSurrogate() ? 2 : 1);
        text += ellipsis;
    }
    return text;
}
