// A text trace of a playback: one line per drawing call with its output coordinates, for
// golden tests and `qrptool render --trace`.
#pragma once

#include "emf/enh_metafile.h"
#include "render/device.h"

#include <QRect>

#include <string>

namespace qrp::render {

class TraceDevice : public Device {
public:
    void FillPath(const QPainterPath& path, const QBrush& brush, Composition mode) override;
    void StrokePath(const QPainterPath& path, const QPen& pen, Composition mode) override;
    void DrawGlyphs(const GlyphRun& run) override;
    void DrawImage(const QImage& image, const QRectF& source, const QTransform& imageToOutput, Composition mode,
                   bool smooth) override;
    void SetClip(const std::optional<QRegion>& clip) override;

    const std::string& Text() const { return FText; }

private:
    std::string FText;
};

// Plays picture into rect on a TraceDevice and returns its lines, followed by a summary
// line "played N skipped M" and one "skipped offset ..." line per kept skipped record.
std::string TraceEnhMetaFile(const emf::EnhMetaFile& picture, const QRect& rect);

}  // namespace qrp::render
