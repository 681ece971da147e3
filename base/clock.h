// The local wall clock, read the same way on every platform.
#pragma once

#include <cstdint>
#include <ctime>

namespace qrp {

// The local date and time of moment, counted in seconds from 1 Jan 1970 as if it were UTC
// (a local serial date: what a calendar on the wall shows, without the zone's offset).
int64_t LocalWallClockSeconds(std::time_t moment);

}  // namespace qrp
