// Hyperlink texts from report files, which may be crafted: what a click may open and how a
// link is shown. Only http and https addresses with a host, and mailto addresses, are
// opened; every other scheme (file, javascript, data, custom ones), a text with control
// characters or one longer than any real address is refused.
#pragma once

#include <QString>
#include <QUrl>

#include <string>

namespace qrp {

struct TLinkTarget {
    bool Allowed = false;
    QUrl Url;       // the address to open, when allowed
    QString Shown;  // the link as it may be shown: controls replaced, long texts cut in the middle
};

constexpr int kMaxLinkLength = 2048;   // longer texts are refused
constexpr int kMaxShownLinkLength = 160;

// link is UTF-8 (the file's one byte per character, widened).
TLinkTarget InspectLink(const std::string& link);
QString ShownLink(const std::string& link);

}  // namespace qrp
