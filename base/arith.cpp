#include "base/arith.h"

#include "base/exceptions.h"

#include <cfenv>
#include <cmath>

namespace qrp {

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    int64_t magnitude = product < 0 ? -product : product;
    const int64_t divisor = c < 0 ? -static_cast<int64_t>(c) : c;
    magnitude = (magnitude + divisor / 2) / divisor;
    const bool negative = (product < 0) != (c < 0);
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN) return -1;
    return static_cast<int32_t>(result);
}

int64_t RoundDiv(int64_t numerator, int64_t denominator)
{
    QRP_ASSERT(denominator != 0);
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    // Floor division, then the remainder against half the denominator.
    int64_t quotient = numerator / denominator;
    int64_t remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    const int64_t twice = 2 * remainder;  // remainder < denominator, so no overflow below 2^62
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
    return quotient;
}

int64_t Round(long double x)
{
    // nearbyintl honours the current rounding mode, which is to-nearest-even by default.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double r = std::nearbyintl(x);
    std::fesetround(saved);
    return static_cast<int64_t>(r);
}

int64_t Trunc(long double x)
{
    return static_cast<int64_t>(std::truncl(x));
}

}  // namespace qrp
