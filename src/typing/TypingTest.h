#pragma once

#include "library/WordTable.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <utility>

// One judged answer, as the learning record wants it.
struct TypedAnswer
{
    QString word;
    QString meaning;
    // 0 for the first try in the group, 1 for the first re-test pass, ...
    int pass = 0;
    bool right = false;
    // From the meaning being shown to the answer being given.
    qint64 millis = 0;
    // The same time split at the first key: the reaction (meaning to first
    // key) and the typing (first key to Enter), -1 when no key came before
    // Enter; and how many characters the answer has.
    qint64 reactionMillis = -1;
    qint64 typingMillis = -1;
    int characters = 0;
};

// The typing test of one group, without a window: the meaning of each word is
// asked in order, the typed word is judged, and when a pass ends with
// mistakes exactly the wrongly answered words are asked again, in group order,
// until a pass has none.
class TypingTest
{
public:
    // Result colours kept in WordEntry::Mark, as 0x00BBGGRR.
    static constexpr qint32 MarkUnanswered = 0;
    static constexpr qint32 MarkWrong = 0x0000FF;
    static constexpr qint32 MarkRight = 0xFF0000;

    // What follows a judged answer.
    enum class Next {
        Word,       // the next word of this pass is asked
        RetestPass, // the pass had mistakes: call startRetestPass()
        GroupDone,  // a pass without mistakes: the group is finished
    };

    struct Verdict
    {
        bool right = false;
        // The entry as judged (its word is the correct answer).
        WordEntry entry;
        // Its slot in the pass that was just judged.
        int slot = 0;
        Next next = Next::Word;
    };

    // Milliseconds on a steady clock; replaceable so tests control time.
    using Clock = std::function<qint64()>;
    using AnswerListener = std::function<void(const TypedAnswer &)>;

    TypingTest();

    // The loader fills these; call begin() once it has.
    WordTable &table() { return m_words; }
    qint16 &countSlot() { return m_count; }

    // Empties the group and the counts.
    void reset();
    // Starts the first pass over the loaded group.
    void begin();
    // Starts the clock of the word being asked (its meaning is now shown).
    void meaningShown();
    // A character was typed into the answer: the first since the meaning was
    // shown ends the reaction time.
    void keyTyped();

    bool hasWords() const { return m_count > 0; }
    bool isAsking() const { return m_index < m_count; }
    // Judges `typed` (spaces around it ignored, case counts) against the word
    // being asked and moves on. Only while isAsking(). The group stays as it
    // was judged until the caller starts the re-test pass, so a window can
    // show the finished pass first.
    Verdict answer(const QString &typed);
    // Keeps exactly the wrongly answered words, in group order, unmarked, and
    // asks them from the first.
    void startRetestPass();

    const WordTable &words() const { return m_words; }
    qint16 wordCount() const { return m_count; }
    qint16 currentIndex() const { return m_index; }
    const WordEntry &current() const { return m_words[m_index]; }
    int rightCount() const { return m_right; }
    int wrongCount() const { return m_wrong; }
    // 0 on the first try, then one more per re-test pass.
    int pass() const { return m_pass; }

    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setAnswerListener(AnswerListener listener) { m_listener = std::move(listener); }

    // Whether `typed` counts as `word`.
    static bool matches(const QString &word, const QString &typed);

private:
    WordTable m_words;
    qint16 m_count = 0;
    qint16 m_index = 0;
    int m_right = 0;
    int m_wrong = 0;
    int m_pass = 0;
    qint64 m_shownAt = 0;
    qint64 m_firstKeyAt = -1;
    Clock m_clock;
    AnswerListener m_listener;
};
