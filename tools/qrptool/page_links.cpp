#include "tools/qrptool/page_links.h"

#include <charconv>
#include <cstdio>

namespace qrptool {

namespace {

constexpr size_t kPrintedLinkLength = 400;

std::optional<int32_t> ParseInt(const std::string& text)
{
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string Hex(unsigned c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02x", c & 0xFFu);
    return buffer;
}

}  // namespace

std::optional<PageLink> ParsePageLink(const std::string& value, std::string& error)
{
    const size_t first = value.find(':');
    const size_t second = first == std::string::npos ? std::string::npos : value.find(':', first + 1);
    if (second == std::string::npos) {
        error = "--link needs PAGE:LEFT,TOP,RIGHT,BOTTOM:TEXT: " + value;
        return std::nullopt;
    }
    const std::optional<int32_t> page = ParseInt(value.substr(0, first));
    if (!page || *page < 1) {
        error = "--link needs a page number from 1: " + value;
        return std::nullopt;
    }
    const std::string area = value.substr(first + 1, second - first - 1);
    int32_t edges[4];
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? area.find(',', at) : area.size();
        const std::optional<int32_t> edge = comma == std::string::npos ? std::nullopt : ParseInt(area.substr(at, comma - at));
        if (!edge) {
            error = "--link needs four whole numbers LEFT,TOP,RIGHT,BOTTOM: " + value;
            return std::nullopt;
        }
        edges[i] = *edge;
        at = comma + 1;
    }
    if (edges[0] >= edges[2] || edges[1] >= edges[3]) {
        error = "--link needs LEFT < RIGHT and TOP < BOTTOM: " + value;
        return std::nullopt;
    }
    PageLink link;
    link.page = *page;
    link.link = qrp::THyperlink({edges[0], edges[1], edges[2], edges[3]}, value.substr(second + 1));
    return link;
}

std::string PrintableLinkText(const std::string& text)
{
    std::string out;
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (characters == kPrintedLinkLength) {
            out += "... (" + std::to_string(text.size()) + " bytes)";
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        // C1 controls arrive as UTF-8 C2 80..C2 9F.
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0 &&
            static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            out += Hex(static_cast<unsigned char>(text[++i]));
        } else if (c < 0x20 || c == 0x7F) {
            out += Hex(c);
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += static_cast<char>(c);
        }
        if ((c & 0xC0) != 0x80) ++characters;
    }
    return out;
}

void PrintLinks(std::ostream& out, const qrp::THyperlinkList* links)
{
    if (!links) return;
    for (const qrp::THyperlink& l : *links)
        out << "  link " << l.Area.Left << "," << l.Area.Top << "," << l.Area.Right << "," << l.Area.Bottom << ": "
            << PrintableLinkText(l.Link) << "\n";
}

std::string LinksJson(const qrp::THyperlinkList* links)
{
    std::string out = "[";
    if (links) {
        for (size_t i = 0; i < links->size(); ++i) {
            const qrp::THyperlink& l = (*links)[i];
            out += i ? ", " : "";
            out += "{\"left\": " + std::to_string(l.Area.Left) + ", \"top\": " + std::to_string(l.Area.Top) +
                   ", \"right\": " + std::to_string(l.Area.Right) + ", \"bottom\": " + std::to_string(l.Area.Bottom) +
                   ", \"text\": \"";
            for (const char ch : l.Link) {
                const auto c = static_cast<unsigned char>(ch);
                if (c == '"' || c == '\\') {
                    out += '\\';
                    out += ch;
                } else if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += ch;
                }
            }
            out += "\"}";
        }
    }
    return out + "]";
}

}  // namespace qrptool
