// Little-endian access to a byte span, bounds-checked by the caller's span.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace qrp::emf {

using Bytes = std::span<const uint8_t>;

inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t LoadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }
inline int16_t LoadI16(const uint8_t* p) { return static_cast<int16_t>(LoadU16(p)); }
inline float LoadF32(const uint8_t* p)
{
    const uint32_t bits = LoadU32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// count little-endian 16- or 32-bit values from p into out: one copy on a little-endian
// machine, which text records with their characters and advances make worth having.
template <typename T>
    requires(std::is_integral_v<T> && (sizeof(T) == 2 || sizeof(T) == 4))
inline void LoadArray(const uint8_t* p, size_t count, T* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (count != 0) std::memcpy(out, p, count * sizeof(T));
    } else {
        for (size_t i = 0; i < count; ++i)
            out[i] = static_cast<T>(sizeof(T) == 2 ? LoadU16(p + 2 * i) : LoadU32(p + 4 * i));
    }
}

}  // namespace qrp::emf
