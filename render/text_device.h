// The text of a playback: a Device that keeps every glyph run the player draws, with each
// character's box, and paints nothing.
#pragma once

#include "emf/enh_metafile.h"
#include "render/device.h"

#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qrp::render {

// A printable Latin-1 unit (space to tilde, inverted exclamation mark to y diaeresis): one
// that reading order keeps as it is.
inline bool PrintableLatin1(QChar c)
{
    return static_cast<char16_t>(c.unicode() - u' ') < 0x5F || static_cast<char16_t>(c.unicode() - 0xA1) < 0x5F;
}

// One run of text as drawn, in the coordinates the device was given. Its characters and
// their boxes are a stretch of its page's buffers.
struct PageTextRun {
    qsizetype first = 0;          // its first UTF-16 unit in the page's text and boxes
    qsizetype length = 0;         // its UTF-16 units
    QPointF origin;               // the first glyph's baseline origin
    double height = 0;            // the font's em height
    double angle = 0;             // baseline rotation in degrees, clockwise on the output
    // The union of its boxes as the device made them; none for a run built otherwise or
    // shortened since (PageTextRuns::Bounds then works it out).
    std::optional<QRectF> bounds;
    bool printable = false;       // every unit is PrintableLatin1, as the device found
    bool Rotated() const { return angle > 0.5 || angle < -0.5; }
};

// The text runs of a picture. All characters share one string and all boxes one vector:
// a page costs a few allocations, not some for every run.
struct PageTextRuns {
    std::u16string text;          // UTF-16 units as the picture gave them, run after run
    std::vector<QRectF> boxes;    // one per unit of text: the cell its glyph occupies
    std::vector<PageTextRun> runs;

    // Whether run's stretch lies within the buffers.
    bool Holds(const PageTextRun& run) const
    {
        const auto units = static_cast<qsizetype>(text.size());
        return text.size() == boxes.size() && run.first >= 0 && run.length >= 0 && run.first <= units - run.length;
    }
    QStringView Text(const PageTextRun& run) const { return QStringView(text).sliced(run.first, run.length); }
    std::span<const QRectF> Boxes(const PageTextRun& run) const
    {
        return std::span<const QRectF>(boxes).subspan(static_cast<size_t>(run.first), static_cast<size_t>(run.length));
    }
    // The union of run's boxes: its bounds when known, else worked out from the boxes.
    QRectF Bounds(const PageTextRun& run) const { return run.bounds ? *run.bounds : BoxesBounds(run); }

private:
    QRectF BoxesBounds(const PageTextRun& run) const;
};

class TextDevice : public Device {
public:
    // scaleX, scaleY: from output units to the units the runs are kept in. page, in those
    // units: keep only the characters whose cells centre on it, as OnThePage does.
    explicit TextDevice(double scaleX = 1, double scaleY = 1, std::optional<QSizeF> page = std::nullopt);
    void FillPath(const QPainterPath&, const QBrush&, Composition) override {}
    void StrokePath(const QPainterPath&, const QPen&, Composition) override {}
    void DrawGlyphs(const GlyphRun& run) override;
    void DrawImage(const QImage&, const QRectF&, const QTransform&, Composition, bool) override {}
    void SetClip(const std::optional<QRegion>&) override {}
    bool DrawsImages() const override { return false; }
    bool DrawsGlyphs() const override { return false; }
    bool DrawsShapes() const override { return false; }
    // Positions as the picture's advances give them: the device's units are no pixels.
    TextMode TextDrawing() const override { return TextMode::kSmooth; }

    const PageTextRuns& Runs() const { return FPage; }
    PageTextRuns TakeRuns() { return std::move(FPage); }

private:
    double FScaleX, FScaleY;
    std::optional<QSizeF> FPageSize;
    PageTextRuns FPage;
    // The last run's font and its metrics: runs mostly share a font, and Qt's are calls.
    QRawFont FFont;
    double FAscent = 0, FDescent = 0, FPixelSize = 0;
};

// Plays picture without rasterising and returns its text runs on the page (OnThePage) with
// coordinates in millimetres from the frame's top left corner (the page's, for a report page).
PageTextRuns PictureTextRuns(const emf::EnhMetaFile& picture);
// The characters of runs whose cells have their centre on the page (0, 0 to page): what
// the page shows, as a print or a PDF of it does. A run that leaves the page keeps each
// stretch on it as a run of its own.
PageTextRuns OnThePage(PageTextRuns runs, const QSizeF& page);

}  // namespace qrp::render
