#include "typing/TypingTest.h"

#include "text/Trim.h"

#include <QElapsedTimer>

#include <memory>

TypingTest::TypingTest()
{
    // One timer for the life of the test: its start is the zero of the clock.
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    m_clock = [timer] { return timer->elapsed(); };
}

bool TypingTest::matches(const QString &word, const QString &typed)
{
    return trimSpaces(word) == trimSpaces(typed);
}

void TypingTest::reset()
{
    m_index = 0;
    m_count = 0;
    m_right = 0;
    m_wrong = 0;
    m_pass = 0;
    for (int i = 0; i < GroupSize; ++i)
        m_words[i] = WordEntry{};
}

void TypingTest::begin()
{
    m_index = 0;
    m_right = 0;
    m_wrong = 0;
    m_pass = 0;
    meaningShown();
}

void TypingTest::meaningShown()
{
    m_shownAt = m_clock();
    m_firstKeyAt = -1;
}

void TypingTest::keyTyped()
{
    if (m_firstKeyAt < 0)
        m_firstKeyAt = m_clock();
}

TypingTest::Verdict TypingTest::answer(const QString &typed)
{
    Verdict verdict;
    if (!isAsking())
        return verdict;

    WordEntry &entry = m_words[m_index];
    verdict.right = matches(entry.Word, typed);
    if (verdict.right) {
        ++m_right;
        entry.Mark = MarkRight;
    } else {
        ++m_wrong;
        entry.Mark = MarkWrong;
    }
    verdict.entry = entry;
    verdict.slot = m_index;

    if (m_listener) {
        const qint64 now = m_clock();
        TypedAnswer event{entry.Word, entry.Meaning, m_pass, verdict.right, now - m_shownAt};
        if (m_firstKeyAt >= 0) {
            event.reactionMillis = m_firstKeyAt - m_shownAt;
            event.typingMillis = now - m_firstKeyAt;
        }
        event.characters = int(trimSpaces(typed).size());
        m_listener(event);
    }

    ++m_index;
    if (m_index < m_count) {
        verdict.next = Next::Word;
    } else if (m_wrong > 0) {
        verdict.next = Next::RetestPass;
    } else {
        verdict.next = Next::GroupDone;
    }
    meaningShown();
    return verdict;
}

void TypingTest::startRetestPass()
{
    qint16 kept = 0;
    for (int i = 0; i < m_count; ++i) {
        if (m_words[i].Mark == MarkWrong) {
            m_words[kept] = m_words[i];
            m_words[kept].Mark = MarkUnanswered;
            ++kept;
        }
    }
    m_count = kept;
    m_index = 0;
    m_right = 0;
    m_wrong = 0;
    ++m_pass;
    meaningShown();
}
