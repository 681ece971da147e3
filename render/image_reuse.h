// Repeated pictures written once into a document. Qt's PDF writer keeps the images it has
// written by their identity (QImage::cacheKey), not by their pixels, and the player decodes
// a page's bitmaps afresh on every page: a report's logo would be compressed and stored
// again on each page.
#pragma once

#include <QImage>

namespace qrp::render {

// The image this thread drew earlier with the same size, format, colours and pixels, or
// image itself (kept for the next call). Images larger than a few megabytes are not kept.
QImage SameImage(const QImage& image);

}  // namespace qrp::render
