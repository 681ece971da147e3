#include "render/play.h"

#include <QPainter>

namespace qrp::render {

// Placeholder until the record player lands: plays nothing.
PlayStats PlayEnhMetaFile(QPainter&, const emf::EnhMetaFile&, const QRect&)
{
    return {};
}

}  // namespace qrp::render
