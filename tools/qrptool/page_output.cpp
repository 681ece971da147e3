#include "tools/qrptool/page_output.h"

#include "render/play.h"
#include "tools/qrptool/pdf_deflate.h"
#include "tools/qrptool/pdfa_metadata.h"

#include <QDateTime>
#include <QFileDevice>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>
#include <string>

namespace qrptool {

namespace {

std::string Millimetres(double value)
{
    return QString::number(value, 'f', 2).toStdString();  // QString::number is locale-free
}

// Device pixels of a side in millimetres at dpi, at least 1.
int DevicePixels(double millimetres, int dpi)
{
    return std::max(1, static_cast<int>(std::lround(millimetres * dpi / 25.4)));
}

}  // namespace

QSizeF PageSizeMillimetres(const qrp::emf::EnhMetaFile& picture)
{
    const qrp::emf::RectL& frame = picture.Header().rclFrame;
    const double width = (static_cast<double>(frame.right) - frame.left) / 100.0;
    const double height = (static_cast<double>(frame.bottom) - frame.top) / 100.0;
    if (!(width > 0) || !(height > 0)) {
        throw PageOutputError("empty picture frame (" + Millimetres(width) + " x " + Millimetres(height) + " mm)");
    }
    if (width > kMaxPageMillimetres || height > kMaxPageMillimetres) {
        throw PageOutputError("picture frame too large for a page (" + Millimetres(width) + " x " +
                              Millimetres(height) + " mm)");
    }
    return {width, height};
}

PdfPageWriter::PdfPageWriter(QFileDevice& file, const QString& title, int pages, int dpi, bool pdfa)
    : FFile(file), FTitle(title), FPageCount(pages), FDpi(dpi), FPdfa(pdfa)
{
    MakeWriter();
}

void PdfPageWriter::MakeWriter()
{
    FWriter = std::make_unique<QPdfWriter>(&FFile);
    FWriter->setResolution(FDpi);
    FWriter->setTitle(FTitle);
    FWriter->setCreator(QStringLiteral("qrpview"));
    // Qt's PDF/A-1b mode embeds every font, flattens transparency and writes the document
    // information and the XMP packet, ours (pdfa_metadata.h).
    if (FPdfa) FWriter->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
}

void PdfPageWriter::Begin()
{
    // Qt stamps the document information with the clock as the painter begins, and the
    // XMP packet is written at that moment: both must name the same second. A beginning
    // that crossed a second starts the document again.
    for (int attempt = 1;; ++attempt) {
        const QDateTime stamp = QDateTime::currentDateTime();
        if (FPdfa) {
            FWriter->setDocumentXmpMetadata(PdfaXmpPacket(
                {FTitle, FWriter->creator(), QStringLiteral("Qt ") + QLatin1String(qVersion()), FPageCount, stamp}));
        }
        FPainter = std::make_unique<QPainter>();
        if (!FPainter->begin(FWriter.get())) throw PageOutputError("cannot start the PDF document");
        if (!FPdfa || attempt == 3 ||
            QDateTime::currentDateTime().toSecsSinceEpoch() == stamp.toSecsSinceEpoch())
            return;
        FPainter->end();
        if (!FFile.seek(0) || !FFile.resize(0)) throw PageOutputError("cannot start the PDF document again");
        MakeWriter();
    }
}

PdfPageWriter::~PdfPageWriter()
{
    const FastPdfDeflate fast;
    if (FPainter && FPainter->isActive()) FPainter->end();
}

qrp::render::PlayStats PdfPageWriter::AddPage(const qrp::emf::EnhMetaFile& picture)
{
    const FastPdfDeflate fast;  // a new page writes the last one's contents
    const QSizeF size = PageSizeMillimetres(picture);
    // The orientation follows the frame: a page size wider than high is kept as it is.
    const QPageLayout layout(QPageSize(size, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                             QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    if (!FWriter->setPageLayout(layout)) throw PageOutputError("the PDF writer refused the page size");
    if (!FPainter) {
        Begin();
    } else if (!FWriter->newPage()) {
        throw PageOutputError("cannot add a page to the PDF document");
    }
    const QRect rect(0, 0, DevicePixels(size.width(), FDpi), DevicePixels(size.height(), FDpi));
    qrp::render::PlayStats stats = qrp::render::PlayEnhMetaFile(*FPainter, picture, rect);
    ++FPages;
    return stats;
}

void PdfPageWriter::Finish()
{
    const FastPdfDeflate fast;  // the last page, fonts and images
    if (!FPainter) throw PageOutputError("no page to write");
    if (!FPainter->end()) throw PageOutputError("cannot finish the PDF document");
}

QImage RenderPageImage(const qrp::emf::EnhMetaFile& picture, int dpi, qrp::render::PlayStats* stats,
                       qrp::render::TextMode text)
{
    const QSizeF size = PageSizeMillimetres(picture);
    const int width = DevicePixels(size.width(), dpi);
    const int height = DevicePixels(size.height(), dpi);
    if (width > 32767 || height > 32767 || qint64{width} * height > kMaxPagePixels) {
        throw PageOutputError("page too large to render at " + std::to_string(dpi) + " dpi (" +
                              std::to_string(width) + " x " + std::to_string(height) + " pixels)");
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) throw PageOutputError("out of memory for a page image");
    image.fill(Qt::white);
    const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    qrp::render::PlayStats played = qrp::render::PlayEnhMetaFile(painter, picture, QRect(0, 0, width, height), text);
    painter.end();
    if (stats) *stats = std::move(played);
    return image;
}

}  // namespace qrptool
