#include "tools/qrptool/page_text_source.h"

#include <charconv>
#include <cmath>

namespace qrptool {

QString LineForSearch(const QString& line, bool ignoreCase)
{
    return ignoreCase ? qrp::render::StripAccents(line) : line;
}

std::string Millimetres(double value)
{
    if (!std::isfinite(value)) value = 0;
    char buffer[32];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::round(value * 100) / 100, std::chars_format::fixed, 2);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

}  // namespace qrptool
