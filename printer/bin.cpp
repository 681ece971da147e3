#include "printer/bin.h"

namespace qrp {

const std::array<int32_t, kBinCount> BinCodes = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};

TQRBin BinOfCode(int32_t code)
{
    for (int i = 0; i < kBinCount; ++i) {
        if (BinCodes[static_cast<std::size_t>(i)] == code) return static_cast<TQRBin>(i);
    }
    return TQRBin::First;
}

const char* BinName(TQRBin bin)
{
    static constexpr const char* kNames[kBinCount] = {
        "First", "Upper", "Lower", "Middle", "Manual", "Envelope", "EnvManual", "Auto", "Tractor",
        "SmallFormat", "LargeFormat", "LargeCapacity", "Cassette", "Last",
    };
    const int ordinal = Ord(bin);
    return ordinal < kBinCount ? kNames[ordinal] : "?";
}

}  // namespace qrp
