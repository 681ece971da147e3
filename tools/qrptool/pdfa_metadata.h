// The XMP packet of a PDF/A-1b document. Qt writes the document information dictionary
// (title, creator, producer, creation date) and, in its PDF/A mode, a packet of its own
// without the number of pages; this one says the same, to the second, and adds the page
// count in the XMP Paged-Text schema (xmpTPg:NPages), a schema PDF/A-1 admits without an
// extension schema.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace qrptool {

struct PdfaMetadata {
    QString title;
    QString creator;
    QString producer;  // what Qt writes as the producer: "Qt " and its version
    int pages = 0;
    QDateTime created;  // local time, to the second, as Qt stamps the document
};

// The packet, UTF-8, with every text escaped for XML (characters XML cannot hold dropped).
QByteArray PdfaXmpPacket(const PdfaMetadata& metadata);

// XMP's form of a date: 2024-05-17T09:30:00Z, or with the offset from UTC as +03:00.
QString XmpDate(const QDateTime& time);

}  // namespace qrptool
