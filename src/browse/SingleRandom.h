#pragma once

#include <QtGlobal>

#include <random>

// The random draws of the browse bar. One generator serves the whole run and
// starts from a fixed seed, so every run of the program browses a group in the
// same "random" order. Each draw is a single-precision number in [0, 1).
class SingleRandom
{
public:
    static constexpr quint32 DefaultSeed = 5489u;

    explicit SingleRandom(quint32 seed = DefaultSeed);

    float next();

private:
    std::mt19937 m_engine;
};
