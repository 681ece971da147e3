// Hyperlink texts: UTF-8 in memory, one byte per character (Latin-1) in the file.
#pragma once

#include <string>

namespace qrp {

// Each byte is the character of that code point.
std::string Latin1ToUtf8(const std::string& bytes);
// One byte per character; characters beyond U+00FF and malformed sequences become '?'.
std::string Utf8ToLatin1(const std::string& text);

}  // namespace qrp
