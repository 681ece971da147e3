// Dashed outlines clipped before they are dashed. A wide pen's dash pattern is laid along
// the whole outline before anything is clipped, so an outline millions of pixels long makes
// millions of dashes, nearly all off the output: only the stretches inside the output are
// handed on, each started where the pattern starts again.
#pragma once

#include <QPainterPath>
#include <QRectF>

namespace qrp::render {

// The stretches of path inside window, for a pen whose dash pattern repeats every period
// pixels along the outline and starts again with each subpath. Each stretch starts a whole
// number of periods from its subpath's start, going back along the line it enters by (off
// window), so it is dashed as it would be within the whole outline. A path inside window
// comes back unchanged; the curves of the others are flattened. *length: how long the
// returned outline is, curves measured by their control polygons.
QPainterPath ClipForDashing(const QPainterPath& path, const QRectF& window, double period, double* length);

}  // namespace qrp::render
