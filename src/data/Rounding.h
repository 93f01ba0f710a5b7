#pragma once

#include <cmath>

// Half-even rounding, the program's one rule for it: a half goes to the even neighbour
// (12.5 gives 12, 13.5 gives 14), so that rounding many halves has no drift either way.

// Nearest integer of a measurement.
inline int RoundHalfEven(double value) {
    return int(std::nearbyint(value));
}

// The exact quotient of two integers of any width, rounded so.
template <class Int> constexpr Int DivRoundHalfEven(Int numerator, Int denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    Int q = numerator / denominator;
    Int r = numerator % denominator;
    if (r < 0) {
        --q;
        r += denominator;
    }
    if (2 * r > denominator || (2 * r == denominator && (q % 2) != 0))
        ++q;
    return q;
}
