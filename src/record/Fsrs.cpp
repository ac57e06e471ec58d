#include "record/Fsrs.h"

#include <algorithm>
#include <cmath>

namespace Fsrs {

namespace {

int grade(Rating rating)
{
    return static_cast<int>(rating);
}

double clampStability(double s)
{
    return std::clamp(s, MinStability, MaxStability);
}

double clampDifficulty(double d)
{
    return std::clamp(d, MinDifficulty, MaxDifficulty);
}

double initialDifficulty(Rating rating, const Weights &w)
{
    return w[4] - std::exp(w[5] * (grade(rating) - 1)) + 1;
}

double nextDifficulty(double d, Rating rating, const Weights &w)
{
    const double delta = -w[6] * (grade(rating) - 3);
    // The closer to 10, the smaller the step up, so difficulty never
    // overshoots its ceiling.
    const double damped = d + delta * (10 - d) / 9;
    // A slow pull back towards the difficulty of a word first rated Easy
    // keeps words from staying at the extremes for ever.
    const double reverted = w[7] * initialDifficulty(Rating::Easy, w) + (1 - w[7]) * damped;
    return clampDifficulty(reverted);
}

double stabilityAfterRecall(double d, double s, double r, Rating rating, const Weights &w)
{
    const double hardPenalty = rating == Rating::Hard ? w[15] : 1.0;
    const double easyBonus = rating == Rating::Easy ? w[16] : 1.0;
    return s *
           (std::exp(w[8]) * (11 - d) * std::pow(s, -w[9]) * (std::exp(w[10] * (1 - r)) - 1) * hardPenalty * easyBonus +
            1);
}

double stabilityAfterLapse(double d, double s, double r, const Weights &w)
{
    const double forgotten = w[11] * std::pow(d, -w[12]) * (std::pow(s + 1, w[13]) - 1) * std::exp(w[14] * (1 - r));
    // A lapse never leaves a memory more stable than a Good answer the same
    // day would have taken it back down to: the short-term Good step
    // multiplies stability by e^(w17 * w18), so a lapse keeps at most the
    // stability divided by that. Capping at the old stability instead lets a
    // word failed every other day settle above the floor for ever.
    return std::min(forgotten, s / std::exp(w[17] * w[18]));
}

double shortTermStability(double s, Rating rating, const Weights &w)
{
    return s * std::exp(w[17] * (grade(rating) - 3 + w[18]));
}

} // namespace

double retrievability(double elapsedDays, double stability)
{
    return std::pow(1 + Factor * std::max(elapsedDays, 0.0) / stability, Decay);
}

double intervalPerStability(double retention)
{
    return (std::pow(retention, 1 / Decay) - 1) / Factor;
}

double intervalDays(double stability, double retention)
{
    return clampStability(stability * intervalPerStability(retention));
}

MemoryState firstReview(Rating rating, const Weights &w)
{
    return {clampStability(w[static_cast<size_t>(grade(rating) - 1)]), clampDifficulty(initialDifficulty(rating, w))};
}

MemoryState nextState(const MemoryState &state, double elapsedDays, Rating rating, const Weights &w)
{
    // A state that never was (or was damaged on disk) starts afresh rather
    // than spreading a NaN into every later review.
    if (!(state.stability > 0) || !std::isfinite(state.stability) || !std::isfinite(state.difficulty))
        return firstReview(rating, w);
    const double s = clampStability(state.stability);
    const double d = clampDifficulty(state.difficulty);

    double stability = 0;
    if (elapsedDays < 1) {
        stability = shortTermStability(s, rating, w);
    } else {
        const double r = retrievability(elapsedDays, s);
        stability =
            rating == Rating::Again ? stabilityAfterLapse(d, s, r, w) : stabilityAfterRecall(d, s, r, rating, w);
    }
    return {clampStability(stability), nextDifficulty(d, rating, w)};
}

Rating rate(bool rightAtFirstTry, const AnswerTiming &timing, const TimingMedians &medians)
{
    if (!rightAtFirstTry)
        return Rating::Again;
    // A long pause says nothing about the word (the phone rang); a right
    // answer after one is an ordinary recall.
    if (timing.totalMs() > PauseCapMs || !timing.hasDetail())
        return Rating::Good;
    const double reaction = double(timing.reactionMs);
    const double perCharacter = timing.msPerCharacter();
    const bool reactionKnown = medians.reactionMs && *medians.reactionMs > 0;
    const bool typingKnown = medians.msPerCharacter && *medians.msPerCharacter > 0;
    if ((reactionKnown && reaction > 2 * *medians.reactionMs) ||
        (typingKnown && perCharacter > 2 * *medians.msPerCharacter))
        return Rating::Hard;
    // Easy needs both: the word came at once and was typed at least as fast
    // as usual. A quick start alone may be a guess typed slowly.
    if (reactionKnown && typingKnown && 2 * reaction < *medians.reactionMs &&
        perCharacter <= *medians.msPerCharacter)
        return Rating::Easy;
    return Rating::Good;
}

} // namespace Fsrs
