#include "emf/wmf/wmf_charset.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace qrp::emf::wmf {

namespace {

const char* CodePage(uint8_t charset)
{
    switch (charset) {
    case 0:    // ANSI_CHARSET
    case 1:    // DEFAULT_CHARSET
        return "CP1252";
    case 77: return "MACINTOSH";
    case 128: return "CP932";
    case 129: return "CP949";
    case 130: return "JOHAB";
    case 134: return "CP936";
    case 136: return "BIG5";
    case 161: return "CP1253";
    case 162: return "CP1254";
    case 163: return "CP1258";
    case 177: return "CP1255";
    case 178: return "CP1256";
    case 186: return "CP1257";
    case 204: return "CP1251";
    case 222: return "CP874";
    case 238: return "CP1250";
    case 255: return "CP437";
    default: return nullptr;
    }
}

bool IsLeadByte(uint8_t charset, uint8_t b)
{
    switch (charset) {
    case 128: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 129:
    case 134:
    case 136: return b >= 0x81 && b <= 0xFE;
    case 130: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    default: return false;
    }
}

// One character (one or two bytes) to UTF-16 through iconv; U+FFFD when it does not decode.
void DecodeOne(iconv_t cd, const uint8_t* bytes, size_t length, std::u16string& out)
{
    char in[2] = {static_cast<char>(bytes[0]), static_cast<char>(length > 1 ? bytes[1] : 0)};
    char16_t units[4] = {};
    char* inPtr = in;
    size_t inLeft = length;
    char* outPtr = reinterpret_cast<char*>(units);
    size_t outLeft = sizeof(units);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const size_t produced = (sizeof(units) - outLeft) / 2;
    if (rc == static_cast<size_t>(-1) || produced == 0) {
        out.push_back(u'\uFFFD');
        return;
    }
    for (size_t i = 0; i < produced; ++i) out.push_back(units[i]);
}

std::mutex gMutex;  // iconv descriptors are not shared between threads

}  // namespace

std::optional<DecodedText> DecodeCharset(Bytes bytes, uint8_t charset)
{
    const char* cp = CodePage(charset);
    if (!cp) return std::nullopt;
    std::lock_guard lock(gMutex);
    iconv_t cd = iconv_open("UTF-16LE", cp);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    DecodedText result;
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = IsLeadByte(charset, bytes[i]) && i + 1 < bytes.size() ? 2 : 1;
        const size_t before = result.text.size();
        DecodeOne(cd, bytes.data() + i, length, result.text);
        // A character that decodes to a surrogate pair keeps its bytes on the first unit.
        for (size_t u = before; u < result.text.size(); ++u)
            result.sourceBytes.push_back(u == before ? static_cast<uint8_t>(length) : 0);
        i += length;
    }
    iconv_close(cd);
    return result;
}

std::u16string DecodeFaceName(Bytes bytes, uint8_t charset)
{
    size_t length = 0;
    while (length < bytes.size() && length < 32 && bytes[length] != 0) ++length;
    const Bytes name = bytes.first(length);
    std::u16string face;
    if (const auto decoded = DecodeCharset(name, charset)) {
        face = decoded->text;
    } else {
        for (const uint8_t b : name) face.push_back(static_cast<char16_t>(b));
    }
    if (face.size() > 31) face.resize(31);
    return face;
}

EncodedText EncodeCharset(std::u16string_view text, uint8_t charset)
{
    EncodedText out;
    const char* cp = CodePage(charset);
    std::lock_guard lock(gMutex);
    iconv_t cd = iconv_open(cp ? cp : "CP1252", "UTF-16LE");
    const bool usable = cd != reinterpret_cast<iconv_t>(-1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size();
        char16_t units[2] = {c, pair ? text[i + 1] : u'\0'};
        char encoded[8] = {};
        size_t produced = 0;
        if (usable && !(c >= 0xD800 && c <= 0xDFFF && !pair)) {
            char* inPtr = reinterpret_cast<char*>(units);
            size_t inLeft = pair ? 4 : 2;
            char* outPtr = encoded;
            size_t outLeft = sizeof(encoded);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) produced = sizeof(encoded) - outLeft;
        }
        if (produced == 0 || produced > 2) {
            encoded[0] = '?';
            produced = 1;
        }
        out.bytes.insert(out.bytes.end(), encoded, encoded + produced);
        out.unitBytes.push_back(static_cast<uint8_t>(produced));
        if (pair) {
            out.unitBytes.push_back(0);
            ++i;
        }
    }
    if (usable) iconv_close(cd);
    return out;
}

}  // namespace qrp::emf::wmf
