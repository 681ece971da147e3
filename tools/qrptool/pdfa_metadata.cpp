#include "tools/qrptool/pdfa_metadata.h"

#include <cstdlib>

namespace qrptool {

namespace {

// Text for an XML attribute or element: markup characters escaped, characters XML 1.0
// cannot hold (controls other than tab and line ends, unpaired surrogates) dropped.
QString XmlText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c.isSurrogate() || (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') ||
            c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            continue;
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        case u'"': out += QLatin1String("&quot;"); break;
        case u'\'': out += QLatin1String("&apos;"); break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

QString XmpDate(const QDateTime& time)
{
    const int offset = time.offsetFromUtc();
    QString zone = QStringLiteral("Z");
    if (offset != 0) {
        const int minutes = std::abs(offset) / 60;
        zone = QStringLiteral("%1%2:%3")
                   .arg(QChar(offset < 0 ? u'-' : u'+'))
                   .arg(minutes / 60, 2, 10, QChar(u'0'))
                   .arg(minutes % 60, 2, 10, QChar(u'0'));
    }
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + zone;
}

QByteArray PdfaXmpPacket(const PdfaMetadata& m)
{
    const QString date = XmpDate(m.created);
    const QString packet =
        QStringLiteral(
            "<?xpacket begin='\uFEFF' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
            "  <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
            "    <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
            "      <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
            "    </rdf:Description>\n"
            "    <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
            "        xmp:CreatorTool=\"%2\" xmp:CreateDate=\"%3\" xmp:ModifyDate=\"%3\"/>\n"
            "    <rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\" pdf:Producer=\"%4\"/>\n"
            "    <rdf:Description rdf:about=\"\" xmlns:xmpTPg=\"http://ns.adobe.com/xap/1.0/t/pg/\" xmpTPg:NPages=\"%5\"/>\n"
            "    <rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\"\n"
            "        pdfaid:part=\"1\" pdfaid:conformance=\"B\"/>\n"
            "  </rdf:RDF>\n"
            "</x:xmpmeta>\n"
            "<?xpacket end='w'?>")
            .arg(XmlText(m.title), XmlText(m.creator), date, XmlText(m.producer), QString::number(m.pages));
    return packet.toUtf8();
}

}  // namespace qrptool
