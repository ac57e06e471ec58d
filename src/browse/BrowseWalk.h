#pragma once

#include "library/WordTable.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class SingleRandom;

// The order in which the browse bar walks a group. The names are the values
// stored as BrowseMode.
enum class BrowseOrder { Sequence, Negative, Random };

QString browseOrderName(BrowseOrder order);

// Mark of a slot that has been shown in the current pass (0: not yet).
inline constexpr qint32 MarkShown = 255;

// Longest delay per word the bar will wait, in seconds. Only a hand-edited
// DelayTime can ask for more.
inline constexpr int MaxDelaySeconds = 3600;

// Seconds per word from the delay box's text: the trimmed decimal number,
// bounded to 0 .. MaxDelaySeconds; 1 (the dialog's default) for a text that
// is no number or is negative.
int delaySeconds(const QString &delayText);

// Timer interval in milliseconds for the delay box's text. 0 means the timer
// does not tick at all.
int browseIntervalMs(const QString &delayText);

// The walk of the browse bar through one loaded group, one slot per tick.
//
// Slots 0 .. WordCount - 1 hold the group. The slot at WordCount, one past the
// last word, is always empty and takes part in the walk of the orders
// Sequence and Negative (a blank between passes). In the order Random every
// word is shown once per pass; when a looping pass ends, the last word shown
// is shown once more as the start of the next pass.
class BrowseWalk
{
public:
    explicit BrowseWalk(SingleRandom &random);

    // What a tick asks of the window.
    enum class Step {
        Show,       // show the slot at CurrentIndex (then call shown())
        EndOfGroup, // the pass is over and the walk goes on to the next group
    };

    // The window's reset before a group is read: CurrentIndex and WordCount
    // become 0. The table and IsLastGroup stay as they are.
    void reset();

    // A group has just been loaded into Words and WordCount. Sets the
    // starting point of the walk for the order and whether this is the last
    // group of the library. The first tick in the order Sequence then shows
    // slot 0, unless the window shows a slot at once (as it does when the walk
    // itself went on to this group).
    void groupLoaded(bool isLastGroup);

    // Advances the walk by one tick. `loopsThisGroup` is asked only at the
    // end of a pass: true keeps looping over the group, false ends the group.
    Step tick(const std::function<bool()> &loopsThisGroup);

    // The slot at CurrentIndex has been shown: marks it for this pass.
    const WordEntry &shown();

    // The slot at CurrentIndex (always a valid slot of the table).
    const WordEntry &current() const;

    WordTable Words;
    qint16 WordCount = 0;
    qint16 CurrentIndex = 0;
    bool IsLastGroup = false;
    BrowseOrder Order = BrowseOrder::Sequence;

private:
    bool anyUnshown() const;
    qint16 drawUnshown();

    SingleRandom &m_random;
    // A group was loaded and nothing of it has been shown yet.
    bool m_freshGroup = false;
};
