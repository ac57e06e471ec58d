#pragma once

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <optional>

// The memory model that schedules reviews: every word carries a stability
// (days until the chance of recalling it falls to 90 %) and a difficulty
// (1 to 10). Each answer at the first try moves both, and the next review is
// due when the chance of recall has fallen to the retention we aim for.
//
// The formulas are those of the FSRS model, version 5, with its published
// default weights; nothing here touches files or time zones, so every step
// can be checked by hand.
namespace Fsrs {

enum class Rating { Again = 1, Hard = 2, Good = 3, Easy = 4 };

inline constexpr int WeightCount = 19;
using Weights = std::array<double, WeightCount>;

// The published defaults of version 5.
inline constexpr Weights DefaultWeights = {0.40255, 1.18385, 3.173,  15.69105, 7.1949, 0.5345, 1.4604,
                                           0.0046,  1.54575, 0.1192, 1.01925,  1.9395, 0.11,   0.29605,
                                           2.2698,  0.2315,  2.9898, 0.51655,  0.6621};

// The forgetting curve R(t, S) = (1 + Factor * t / S) ^ Decay, with Factor
// chosen so that R(S, S) = 0.9.
inline constexpr double Decay = -0.5;
inline constexpr double Factor = 19.0 / 81.0;
inline constexpr double TargetRetention = 0.9;

inline constexpr double MinStability = 0.01;
inline constexpr double MaxStability = 36500.0;
inline constexpr double MinDifficulty = 1.0;
inline constexpr double MaxDifficulty = 10.0;

struct MemoryState
{
    double stability = 0;
    double difficulty = 0;
};

// Chance of recall after `elapsedDays` with stability `stability`.
double retrievability(double elapsedDays, double stability);

// Days until the chance of recall falls to `retention` (the stability itself
// at 0.9), kept within the stability limits.
double intervalDays(double stability, double retention = TargetRetention);
// The same interval per day of stability, unbounded: for a due test that
// runs inside a query, where the stability is a column.
double intervalPerStability(double retention);

// The state after the first answer ever given for a word.
MemoryState firstReview(Rating rating, const Weights &w = DefaultWeights);

// The state after an answer `elapsedDays` after the previous one. Answers
// less than a day apart follow the short-term rule (no forgetting has had
// time to happen, so stability moves by a fixed factor per rating).
MemoryState nextState(const MemoryState &state, double elapsedDays, Rating rating, const Weights &w = DefaultWeights);

// How long an answer took, split where the learner started typing: the
// reaction (meaning shown to the first key) says how readily the word came;
// the typing (first key to Enter) depends on the word's length, so it is
// compared per character.
struct AnswerTiming
{
    qint64 reactionMs = -1; // -1 when not known (answers recorded before it was)
    qint64 typingMs = -1;
    int characters = 0;
    qint64 totalMs() const { return std::max<qint64>(0, reactionMs) + std::max<qint64>(0, typingMs); }
    bool hasDetail() const { return reactionMs >= 0 && typingMs >= 0 && characters > 0; }
    double msPerCharacter() const { return characters > 0 ? double(std::max<qint64>(0, typingMs)) / characters : 0; }
};

// The user's own medians over recent right first tries; empty until there
// are enough answers to mean something.
struct TimingMedians
{
    std::optional<double> reactionMs;
    std::optional<double> msPerCharacter;
};

// A right answer slower than this was interrupted, not hard.
inline constexpr qint64 PauseCapMs = 60 * 1000;

// How an answer in the typing test rates: wrong at the first try is Again.
// A right answer is Hard when its reaction or its typing per character took
// more than twice the user's median, Easy when the reaction took under half
// its median and the typing was no slower than usual, Good otherwise. A right
// answer after a pause (over PauseCapMs), without timing detail or without
// medians is Good.
Rating rate(bool rightAtFirstTry, const AnswerTiming &timing, const TimingMedians &medians);

} // namespace Fsrs
