#include "browse/BrowseWalk.h"

#include "browse/SingleRandom.h"
#include "settings/LibraryRegistry.h"

QString browseOrderName(BrowseOrder order)
{
    switch (order) {
    case BrowseOrder::Sequence:
        return QStringLiteral("Sequence");
    case BrowseOrder::Negative:
        return QStringLiteral("Negative");
    case BrowseOrder::Random:
        break;
    }
    return QStringLiteral("Random");
}

int delaySeconds(const QString &delayText)
{
    const QString text = delayText.trimmed();
    bool isNumber = false;
    const qlonglong seconds = text.toLongLong(&isNumber);
    if (!isNumber) {
        // Digits too many for any integer still ask for a long delay.
        return !text.isEmpty() && !HasNonDigit(text) ? MaxDelaySeconds : 1;
    }
    if (seconds < 0)
        return 1;
    return int(qMin<qlonglong>(seconds, MaxDelaySeconds));
}

int browseIntervalMs(const QString &delayText)
{
    return delaySeconds(delayText) * 1000;
}

BrowseWalk::BrowseWalk(SingleRandom &random)
    : m_random(random)
{
}

void BrowseWalk::reset()
{
    CurrentIndex = 0;
    WordCount = 0;
}

void BrowseWalk::groupLoaded(bool isLastGroup)
{
    // A load that is not the last group clears the flag, so that a step back
    // from the last group does not end the walk at the end of an earlier one.
    IsLastGroup = isLastGroup;
    CurrentIndex = Order == BrowseOrder::Negative ? WordCount : qint16(0);
    m_freshGroup = true;
}

BrowseWalk::Step BrowseWalk::tick(const std::function<bool()> &loopsThisGroup)
{
    switch (Order) {
    case BrowseOrder::Sequence:
        if (m_freshGroup) {
            // The first tick after a load shows the first word itself.
            m_freshGroup = false;
            CurrentIndex = 0;
            return Step::Show;
        }
        if (CurrentIndex < WordCount) {
            ++CurrentIndex; // up to the blank slot at WordCount
            return Step::Show;
        }
        if (loopsThisGroup()) {
            CurrentIndex = 0;
            return Step::Show;
        }
        return Step::EndOfGroup;

    case BrowseOrder::Negative:
        if (CurrentIndex > 0) {
            --CurrentIndex;
            return Step::Show;
        }
        if (loopsThisGroup()) {
            CurrentIndex = WordCount; // the blank slot starts the next pass
            return Step::Show;
        }
        return Step::EndOfGroup;

    case BrowseOrder::Random:
        break;
    }

    if (anyUnshown()) {
        CurrentIndex = drawUnshown();
        return Step::Show;
    }
    if (loopsThisGroup()) {
        // A new pass. The slot shown last stays current and is shown again.
        for (int i = 0; i <= WordCount; ++i)
            Words[size_t(i)].Mark = 0;
        return Step::Show;
    }
    return Step::EndOfGroup;
}

const WordEntry &BrowseWalk::shown()
{
    m_freshGroup = false;
    WordEntry &entry = Words[size_t(qBound<int>(0, CurrentIndex, GroupSize))];
    entry.Mark = MarkShown;
    return entry;
}

const WordEntry &BrowseWalk::current() const
{
    return Words[size_t(qBound<int>(0, CurrentIndex, GroupSize))];
}

bool BrowseWalk::anyUnshown() const
{
    for (int i = 0; i < WordCount; ++i) {
        if (Words[size_t(i)].Mark != MarkShown)
            return true;
    }
    return false;
}

qint16 BrowseWalk::drawUnshown()
{
    // Draw again until an unshown slot comes up; anyUnshown() has made sure
    // there is one.
    for (;;) {
        int slot = int(m_random.next() * float(WordCount));
        slot = qBound(0, slot, WordCount - 1);
        if (Words[size_t(slot)].Mark != MarkShown)
            return qint16(slot);
    }
}
