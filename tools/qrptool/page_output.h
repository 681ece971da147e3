// Report pages into files: one PDF with a page per picture, each page sized to the picture's
// frame and drawn as vectors, or one image per page at a resolution. Used by `convert`; any
// command that turns pages into PDF or PNG can use it.
#pragma once

#include "emf/enh_metafile.h"
#include "render/play.h"

#include <QImage>
#include <QSizeF>
#include <QString>

#include <memory>
#include <stdexcept>
#include <string>

class QFileDevice;
class QPainter;
class QPdfWriter;

namespace qrptool {

// A page that cannot be drawn or written; what() says why.
class PageOutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sides of a page beyond this are refused: the largest page a PDF holds (200 inches).
constexpr double kMaxPageMillimetres = 5080.0;

// The page size of a picture: its frame (0.01 mm, inclusive) in millimetres. Throws
// PageOutputError for an empty or inverted frame, or one larger than kMaxPageMillimetres.
QSizeF PageSizeMillimetres(const qrp::emf::EnhMetaFile& picture);

// One PDF document written into an open, empty file, page by page.
class PdfPageWriter {
public:
    // pages: how many pages the document will have. dpi: the resolution the pictures are
    // played at (their device pixels). pdfa: a PDF/A-1b document (fonts embedded, no
    // transparency, XMP metadata declaring the conformance, with the number of pages).
    PdfPageWriter(QFileDevice& file, const QString& title, int pages, int dpi = 600, bool pdfa = false);
    ~PdfPageWriter();
    PdfPageWriter(const PdfPageWriter&) = delete;
    PdfPageWriter& operator=(const PdfPageWriter&) = delete;

    // Adds a page of the picture's size and plays the picture on it; returns what the
    // player skipped. Throws PageOutputError.
    qrp::render::PlayStats AddPage(const qrp::emf::EnhMetaFile& picture);
    // Ends the document; throws PageOutputError when it could not be written (or has no page).
    void Finish();
    int PageCount() const { return FPages; }

private:
    void MakeWriter();
    void Begin();

    QFileDevice& FFile;
    QString FTitle;
    int FPageCount;
    int FDpi;
    bool FPdfa;
    std::unique_ptr<QPdfWriter> FWriter;
    std::unique_ptr<QPainter> FPainter;
    int FPages = 0;
};

// Pages rendered larger than this many pixels are refused (about a gigabyte of image).
constexpr qint64 kMaxPagePixels = qint64{1} << 28;

// The picture played on white paper at dpi, its text drawn as text says; the image records
// the resolution. Throws PageOutputError when the frame is refused or the image would be
// too large.
QImage RenderPageImage(const qrp::emf::EnhMetaFile& picture, int dpi, qrp::render::PlayStats* stats = nullptr,
                       qrp::render::TextMode text = qrp::render::TextMode::kGdi);

}  // namespace qrptool
