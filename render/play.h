// Playing an enhanced metafile onto a QPainter, as the platform's PlayEnhMetaFile does.
#pragma once

#include "emf/enh_metafile.h"

#include <QRect>

#include <cstdint>
#include <vector>

class QPainter;

namespace qrp::render {

// What a playback met: records played, records skipped as damaged or unknown, and the
// offsets of the damaged ones.
struct PlayStats {
    uint32_t played = 0;
    uint32_t skipped = 0;
    std::vector<uint32_t> damagedOffsets;
};

// Maps the picture's frame onto rect (frame left/top to rect.left()/top(), frame
// right/bottom to rect.right()/bottom(), both inclusive, as QRect's right() and bottom()
// are) and plays every record. Never throws; leaves the painter's state as it found it.
PlayStats PlayEnhMetaFile(QPainter& painter, const emf::EnhMetaFile& picture, const QRect& rect);

}  // namespace qrp::render
