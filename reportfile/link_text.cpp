#include "reportfile/link_text.h"

#include <cstdint>

namespace qrp {

std::string Latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf8ToLatin1(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        uint32_t code = c;
        if (c >= 0xC0 && c < 0xE0) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c < 0xF0) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c < 0xF8) {
            length = 4;
            code = c & 0x07;
        } else if (c >= 0x80) {
            out += '?';
            ++i;
            continue;
        }
        bool valid = i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                code = code << 6 | (next & 0x3F);
            }
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += code <= 0xFF ? static_cast<char>(code) : '?';
        i += length;
    }
    return out;
}

}  // namespace qrp
