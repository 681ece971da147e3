// Paper bins and their device-mode codes (dmDefaultSource).
#pragma once

#include <array>
#include <cstdint>

namespace qrp {

enum class TQRBin : uint8_t {
    First, Upper, Lower, Middle, Manual, Envelope, EnvManual, Auto, Tractor,
    SmallFormat, LargeFormat, LargeCapacity, Cassette, Last,
};

constexpr int kBinCount = 14;

constexpr int Ord(TQRBin bin) { return static_cast<int>(bin); }

// First 1, Upper 1, Lower 2, Middle 3, Manual 4, Envelope 5, EnvManual 6, Auto 7,
// Tractor 8, SmallFormat 9, LargeFormat 10, LargeCapacity 11, Cassette 14, Last 14.
extern const std::array<int32_t, kBinCount> BinCodes;

// The first bin (ascending) whose code equals `code`; First when none does.
TQRBin BinOfCode(int32_t code);

// The bin's name as the enumeration spells it.
const char* BinName(TQRBin bin);

}  // namespace qrp
