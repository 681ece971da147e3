// SHA-256 (FIPS 180-4) of a byte span, as lower-case hexadecimal.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qrptool {

std::string Sha256Hex(std::span<const uint8_t> bytes);

}  // namespace qrptool
