#include "render/image_reuse.h"

#include <QHash>

#include <cstring>
#include <array>

namespace qrp::render {

namespace {

// Enough for the logos and stamps of a report; each no larger than a page-wide band.
constexpr size_t kKept = 8;
constexpr qsizetype kMaxBytes = 4 << 20;

struct Kept {
    size_t hash = 0;
    QImage image;
};

size_t HashOf(const QImage& image)
{
    size_t hash = qHashBits(image.constBits(), static_cast<size_t>(image.sizeInBytes()));
    hash = qHashMulti(hash, image.width(), image.height(), static_cast<int>(image.format()));
    for (const QRgb colour : image.colorTable()) hash = qHashMulti(hash, colour);
    return hash;
}

bool SamePixels(const QImage& a, const QImage& b)
{
    return a.size() == b.size() && a.format() == b.format() && a.bytesPerLine() == b.bytesPerLine() &&
           a.colorTable() == b.colorTable() &&
           std::memcmp(a.constBits(), b.constBits(), static_cast<size_t>(a.sizeInBytes())) == 0;
}

}  // namespace

QImage SameImage(const QImage& image)
{
    if (image.isNull() || image.sizeInBytes() > kMaxBytes) return image;
    thread_local std::array<Kept, kKept> kept;  // the oldest replaced first
    thread_local size_t next = 0;
    const size_t hash = HashOf(image);
    for (const Kept& k : kept)
        if (!k.image.isNull() && k.hash == hash && SamePixels(k.image, image)) return k.image;
    kept[next] = Kept{hash, image};
    next = (next + 1) % kKept;
    return image;
}

}  // namespace qrp::render
