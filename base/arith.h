// Integer helpers with the platform's rounding rules.
#pragma once

#include <cstdint>

namespace qrp {

// a * b in 64 bits divided by c, rounded to nearest with halves away from zero.
// A zero divisor gives -1, as the platform's MulDiv does.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// numerator / denominator to the nearest integer, halves to even, exactly: the same
// result on every platform, whatever its long double. The denominator must not be zero;
// both magnitudes must stay below 2^62.
int64_t RoundDiv(int64_t numerator, int64_t denominator);

// Nearest integer, halves to even, on an 80-bit intermediate.
int64_t Round(long double x);

// Toward zero, on an 80-bit intermediate.
int64_t Trunc(long double x);

}  // namespace qrp
