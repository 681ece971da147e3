// Hyperlinks on the command line: `pack --link PAGE:LEFT,TOP,RIGHT,BOTTOM:TEXT` and the
// lists `info` prints. Areas are in the page picture's pixels; texts are stored one byte per
// character (characters beyond Latin-1 become '?').
#pragma once

#include "reportfile/page_list.h"

#include <optional>
#include <ostream>
#include <string>

namespace qrptool {

struct PageLink {
    int page = 0;
    qrp::THyperlink link{{0, 0, 0, 0}, ""};
};

// Parses one --link value; on failure gives nothing and says why in error.
std::optional<PageLink> ParsePageLink(const std::string& value, std::string& error);

// A link text as a terminal line may show it: control characters as \xNN, a backslash
// doubled, texts beyond 400 characters cut with their length.
std::string PrintableLinkText(const std::string& text);

// The page's links: text lines ("  link L,T,R,B: TEXT") or a JSON array.
void PrintLinks(std::ostream& out, const qrp::THyperlinkList* links);
std::string LinksJson(const qrp::THyperlinkList* links);

}  // namespace qrptool
