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
    // Forgetting never makes a memory more stable than it was.
    return std::min(forgotten, s);
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

double intervalDays(double stability, double retention)
{
    return clampStability(stability / Factor * (std::pow(retention, 1 / Decay) - 1));
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

Rating rate(bool rightAtFirstTry, qint64 milliseconds, std::optional<qint64> medianMilliseconds)
{
    if (!rightAtFirstTry)
        return Rating::Again;
    if (!medianMilliseconds || *medianMilliseconds <= 0)
        return Rating::Good;
    const qint64 median = *medianMilliseconds;
    if (milliseconds > 2 * median)
        return Rating::Hard;
    if (2 * milliseconds < median)
        return Rating::Easy;
    return Rating::Good;
}

} // namespace Fsrs
