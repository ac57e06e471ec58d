#include "browse/SingleRandom.h"

SingleRandom::SingleRandom(quint32 seed)
    : m_engine(seed)
{
}

float SingleRandom::next()
{
    // The top 24 bits fill a float's mantissa exactly, so the result is never
    // rounded up to 1 (std::uniform_real_distribution<float> may do that).
    const quint32 bits = quint32(m_engine()) >> 8;
    return float(bits) * (1.0f / 16777216.0f);
}
