// 8-bit text of a WMF font's character set, decoded to UTF-16.
#pragma once

#include "emf/bytes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrp::emf::wmf {


struct DecodedText {
    std::u16string text;
    // For each UTF-16 unit, how many bytes of the source it came from (1 or 2).
    std::vector<uint8_t> sourceBytes;
};

// Decodes bytes in the code page of a LOGFONT character set. std::nullopt for the symbol
// character set and for sets this system cannot decode: such text stays 8-bit.
std::optional<DecodedText> DecodeCharset(Bytes bytes, uint8_t charset);

// A face name: the bytes up to the first NUL, decoded in the character set's code page
// (Latin-1 when it has none), at most 31 characters.
std::u16string DecodeFaceName(Bytes bytes, uint8_t charset);

}  // namespace qrp::emf::wmf

namespace qrp::emf::wmf {

struct EncodedText {
    std::vector<uint8_t> bytes;
    // For each UTF-16 unit of the source, how many bytes it became (0 for the second
    // unit of a surrogate pair).
    std::vector<uint8_t> unitBytes;
};

// Encodes UTF-16 text in the code page of a LOGFONT character set (1252 for sets without
// one); characters the code page lacks become '?'.
EncodedText EncodeCharset(std::u16string_view text, uint8_t charset);

}  // namespace qrp::emf::wmf
