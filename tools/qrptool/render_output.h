// Where `qrptool render` plays pictures: PNG images, SVG drawings or one PDF document,
// sized from each picture's frame.
#pragma once

#include "emf/enh_metafile.h"
#include "render/play.h"

#include <QSize>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qrptool {

// An output that cannot be written; what() says why.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How big a page comes out: a width in pixels, or a resolution applied to the frame.
struct SizeRule {
    enum Kind { kWidth, kDpi } kind = kDpi;
    double value = 96;
};

// The pixel size a picture is played into, as GDI reference renderings are made: W from
// the rule, then H = 1 + round((W-1) x frameHeight / frameWidth). std::nullopt for an empty
// frame or a size beyond 32767 pixels.
std::optional<QSize> PlaySize(const qrp::emf::RectL& frame, const SizeRule& rule);

enum class OutputFormat { kPng, kSvg, kPdf };

// The format an output name asks for by its extension (case-insensitive).
std::optional<OutputFormat> OutputFormatOf(const std::string& path);

// Whether a name holds a page-number field: %d, or %0Nd with a width N.
bool HasPageField(const std::string& pattern);
// The name with its page-number field replaced by page (the first field only).
std::string PageFileName(const std::string& pattern, int page);

class PageWriter {
public:
    virtual ~PageWriter() = default;
    // Plays one page; page counts from 1. Returns what the playback skipped. Throws OutputError.
    virtual qrp::render::PlayStats Write(int page, const qrp::emf::EnhMetaFile& picture) = 0;
    // Completes the output (the PDF document); throws OutputError.
    virtual void Finish() {}
};

// A writer for OUT; with pattern set, PNG and SVG names are page-number patterns. Every
// output goes to a temporary file and replaces its name only in Finish, once every page
// was written: a failure leaves existing outputs as they were. An output that is one of
// inputs, or exists and is not a regular file, is refused.
// text: how pages draw their text.
std::unique_ptr<PageWriter> MakePageWriter(OutputFormat format, const std::string& out, const SizeRule& rule,
                                           bool pattern, const std::vector<std::string>& inputs = {},
                                           qrp::render::TextMode text = qrp::render::TextMode::kSmooth);

}  // namespace qrptool
