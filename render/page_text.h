// The text of a page in reading order, and matching that ignores case and accents.
//
// Runs are grouped into lines by their baselines (within a tolerance from the font height),
// lines run top to bottom and runs left to right. Between two runs of a line a gap wider
// than a fraction of the font height becomes a space, a wide gap (a table's next cell) a
// tab. A rotated run is a line of its own, placed by its top edge.
#pragma once

#include "render/text_device.h"

#include <QRectF>
#include <QString>
#include <QStringView>

#include <span>
#include <vector>

namespace qrp::render {

// A line: views into its page's buffers, valid while the page lives.
struct TextLine {
    QStringView text;
    std::span<const QRectF> boxes;  // one per UTF-16 unit of text; empty for an inserted separator
    QRectF bounds;
};

// The lines hold on to the page's own buffers: a page is moved, never copied.
class PageText {
public:
    PageText() = default;
    PageText(PageText&&) = default;
    PageText& operator=(PageText&&) = default;
    PageText(const PageText&) = delete;
    PageText& operator=(const PageText&) = delete;

    std::vector<TextLine> lines;
    // The lines, each followed by a line feed.
    QString Text() const { return FText; }

private:
    friend PageText ReadingOrder(PageTextRuns runs);
    QString FText;               // the lines, each followed by a line feed
    std::vector<QRectF> FBoxes;  // one per unit of FText (an empty one for a line feed)
};

// Gaps between runs, as fractions of the font height.
inline constexpr double kSpaceGap = 0.15;
inline constexpr double kTabGap = 1.2;

PageText ReadingOrder(PageTextRuns runs);
// The page text of a picture, coordinates in millimetres on its frame.
PageText PictureText(const emf::EnhMetaFile& picture);

// Text folded for matching: accents (combining marks after canonical decomposition)
// removed and, with ignoreCase, case folded. origin[i] is the index in the source of the
// unit that folded unit i came from.
struct FoldedText {
    QString text;
    std::vector<int> origin;
};
FoldedText Fold(const QString& source, bool ignoreCase = true);
// Accents removed, case kept: a pattern for a case-insensitive regular expression.
QString StripAccents(const QString& source);

// A match in a source text: start and length in the source's UTF-16 units.
struct TextMatch {
    int start = 0;
    int length = 0;
};
// Every non-overlapping occurrence of needle in source, ignoring case and accents; a run of
// blanks (spaces, tabs, line feeds) matches any other run, so a text read across a line
// break or a table's cells is found as it reads.
std::vector<TextMatch> FindAll(const QString& source, const QString& needle);

}  // namespace qrp::render
