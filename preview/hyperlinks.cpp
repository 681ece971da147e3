#include "preview/hyperlinks.h"

namespace qrp {

namespace {

bool IsInvisible(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return true;
    default: return false;
    }
}

}  // namespace

QString ShownLink(const std::string& link)
{
    // Never more text than will be shown is decoded.
    const size_t cut = static_cast<size_t>(kMaxShownLinkLength) * 4 + 8;
    const bool longer = link.size() > cut;
    QString text = QString::fromUtf8(link.data(), static_cast<qsizetype>(longer ? cut : link.size()));
    for (QChar& c : text)
        if (IsInvisible(c)) c = QChar(0xFFFD);
    if (longer || text.size() > kMaxShownLinkLength) {
        const int half = kMaxShownLinkLength / 2 - 1;
        const QString tail = longer ? QString::fromUtf8(link.data() + link.size() - half, half) : text.right(half);
        text = text.left(half) + QChar(0x2026) + tail;
        for (QChar& c : text)
            if (IsInvisible(c)) c = QChar(0xFFFD);
    }
    return text;
}

TLinkTarget InspectLink(const std::string& link)
{
    TLinkTarget target;
    target.Shown = ShownLink(link);
    if (link.empty() || link.size() > static_cast<size_t>(kMaxLinkLength)) return target;
    const QString text = QString::fromUtf8(link.data(), static_cast<qsizetype>(link.size()));
    for (QChar c : text)
        if (IsInvisible(c) || c.isSpace() || c == QChar(0xFFFD)) return target;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) return target;
    const QString scheme = url.scheme();
    bool allowed = false;
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        allowed = !url.host().isEmpty() && url.userInfo().isEmpty();
    else if (scheme == QLatin1String("mailto"))
        allowed = !url.path().isEmpty() && url.host().isEmpty();
    if (!allowed) return target;
    target.Allowed = true;
    target.Url = url;
    // What will be opened, byte for byte: the encoded address.
    target.Shown = ShownLink(url.toString(QUrl::FullyEncoded).toStdString());
    return target;
}

}  // namespace qrp
