#include "emf/wmf/wmf_charset.h"

#include "emf/wmf/code_pages.h"

namespace qrp::emf::wmf {

namespace {

// The code page of a LOGFONT character set; 0 for sets without one (symbol, unknown).
int CodePageNumber(uint8_t charset)
{
    switch (charset) {
    case 0:    // ANSI_CHARSET
    case 1:    // DEFAULT_CHARSET
        return 1252;
    case 77: return 10000;   // MAC_CHARSET
    case 128: return 932;    // SHIFTJIS_CHARSET
    case 129: return 949;    // HANGUL_CHARSET
    case 130: return 1361;   // JOHAB_CHARSET
    case 134: return 936;    // GB2312_CHARSET
    case 136: return 950;    // CHINESEBIG5_CHARSET
    case 161: return 1253;   // GREEK_CHARSET
    case 162: return 1254;   // TURKISH_CHARSET
    case 163: return 1258;   // VIETNAMESE_CHARSET
    case 177: return 1255;   // HEBREW_CHARSET
    case 178: return 1256;   // ARABIC_CHARSET
    case 186: return 1257;   // BALTIC_CHARSET
    case 204: return 1251;   // RUSSIAN_CHARSET
    case 222: return 874;    // THAI_CHARSET
    case 238: return 1250;   // EASTEUROPE_CHARSET
    case 255: return 437;    // OEM_CHARSET
    default: return 0;
    }
}

}  // namespace

std::optional<DecodedText> DecodeCharset(Bytes bytes, uint8_t charset)
{
    const CodePage* page = CodePage::Find(CodePageNumber(charset));
    if (!page) return std::nullopt;
    DecodedText result;
    for (size_t i = 0; i < bytes.size();) {
        const size_t before = result.text.size();
        size_t length = 1;
        if (page->IsLeadByte(bytes[i]) && i + 1 < bytes.size()) {
            page->DecodePair(bytes[i], bytes[i + 1], result.text);
            length = 2;
        } else {
            result.text.push_back(page->DecodeByte(bytes[i]));
        }
        // A character that becomes two units keeps its bytes on the first.
        for (size_t u = before; u < result.text.size(); ++u)
            result.sourceBytes.push_back(u == before ? static_cast<uint8_t>(length) : 0);
        i += length;
    }
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
    const int number = CodePageNumber(charset);
    const CodePage* page = CodePage::Find(number ? number : 1252);
    EncodedText out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        // A character outside the basic plane has no place in any of these code pages.
        const uint16_t bytes = pair ? uint16_t{'?'} : page->Encode(c);
        if (bytes > 0xFF) {
            out.bytes.push_back(static_cast<uint8_t>(bytes >> 8));
            out.bytes.push_back(static_cast<uint8_t>(bytes & 0xFF));
            out.unitBytes.push_back(2);
        } else {
            out.bytes.push_back(static_cast<uint8_t>(bytes));
            out.unitBytes.push_back(1);
        }
        if (pair) {
            out.unitBytes.push_back(0);
            ++i;
        }
    }
    return out;
}

}  // namespace qrp::emf::wmf
