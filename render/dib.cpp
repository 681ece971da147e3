#include "render/dib.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <bit>
#include <vector>

namespace qrp::render {
namespace {

constexpr uint32_t RGB(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

constexpr std::array<uint32_t, 20> kDefaultPalette = {
    RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192),
    RGB(192, 220, 192), RGB(166, 202, 240), RGB(255, 251, 240), RGB(160, 160, 164),
    RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255),
};

QRgb FromColorRef(uint32_t ref) { return qRgb(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }

bool Fail(std::string* why, const std::string& reason)
{
    if (why) *why = reason;
    return false;
}

using Layout = emf::DibLayout;

std::optional<Layout> ParseLayout(emf::Bytes info, uint32_t usage, std::string* why)
{
    return emf::ParseDibLayout(info, usage, why);
}

// A BI_BITFIELDS channel: the mask, its shift and its width in bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t m = 0) : mask(m)
    {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::bit_width(m >> shift);
    }
    uint32_t Extract(uint32_t pixel) const
    {
        if (bits == 0) return 0;
        const uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return v * 255 / ((1u << bits) - 1);
    }
};

struct Decoder {
    const Layout& layout;
    emf::Bytes info;
    emf::Bytes bits;
    const DibOptions& options;
    std::string* why;
    std::array<QRgb, 256> colors{};

    int Width() const { return layout.info.width; }
    int Height() const { return layout.info.height; }

    void BuildColorTable()
    {
        colors.fill(qRgb(0, 0, 0));
        const DibInfo& d = layout.info;
        std::span<const uint32_t> palette = options.palette.empty() ? DefaultPalette() : options.palette;
        if (options.usage == DIB_PAL_INDICES) {
            for (size_t i = 0; i < colors.size(); ++i)
                colors[i] = i < palette.size() ? FromColorRef(palette[i]) : qRgb(0, 0, 0);
        } else {
            const size_t available =
                info.size() > layout.tableOffset ? (info.size() - layout.tableOffset) / layout.entrySize : 0;
            const size_t n = std::min<size_t>({layout.tableEntries, available, colors.size()});
            const uint8_t* p = info.data() + layout.tableOffset;
            for (size_t i = 0; i < n; ++i, p += layout.entrySize) {
                if (options.usage == DIB_PAL_COLORS) {
                    const uint16_t index = emf::LoadU16(p);
                    colors[i] = index < palette.size() ? FromColorRef(palette[index]) : qRgb(0, 0, 0);
                } else {
                    colors[i] = qRgb(p[2], p[1], p[0]);
                }
            }
        }
        if (d.bitCount == 1 && options.monochromeColors) {
            colors[0] = (*options.monochromeColors)[0] | 0xFF000000u;
            colors[1] = (*options.monochromeColors)[1] | 0xFF000000u;
        }
    }

    // Image row of DIB line k (k counts lines in the order the bits store them).
    int RowOf(uint32_t k) const
    {
        return layout.info.topDown ? static_cast<int>(k) : Height() - 1 - static_cast<int>(k);
    }

    QImage Uncompressed()
    {
        const DibInfo& d = layout.info;
        const uint16_t bpp = d.bitCount;
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
            Fail(why, "unsupported bit count " + std::to_string(bpp));
            return {};
        }
        if (d.headerSize == 12 && (bpp == 16 || bpp == 32)) {
            Fail(why, "core header with bit count " + std::to_string(bpp));
            return {};
        }
        if (d.compression == BI_BITFIELDS && bpp != 16 && bpp != 32) {
            Fail(why, "bit fields with bit count " + std::to_string(bpp));
            return {};
        }
        const uint32_t height = static_cast<uint32_t>(Height());
        uint32_t first = options.firstScan.value_or(0);
        uint32_t lines = options.scanCount.value_or(height);
        if (first >= height) lines = 0;
        lines = std::min(lines, height - std::min(first, height));
        const uint64_t rowBytes = (uint64_t{static_cast<uint32_t>(Width())} * bpp + 7) / 8;
        const uint64_t stride = (uint64_t{static_cast<uint32_t>(Width())} * bpp + 31) / 32 * 4;
        if (lines > 0 && stride * (lines - 1) + rowBytes > bits.size()) {
            Fail(why, "bits hold " + std::to_string(bits.size()) + " bytes, " + std::to_string(lines) +
                          " lines need " + std::to_string(stride * (lines - 1) + rowBytes));
            return {};
        }

        Channel r(0x7C00), g(0x03E0), b(0x001F), a;
        if (bpp == 32) r = Channel(0xFF0000), g = Channel(0xFF00), b = Channel(0xFF);
        if (d.compression == BI_BITFIELDS) {
            if (info.size() < layout.masksOffset + 12) {
                Fail(why, "bit field masks outside the bitmap header");
                return {};
            }
            const uint8_t* m = info.data() + layout.masksOffset;
            r = Channel(emf::LoadU32(m));
            g = Channel(emf::LoadU32(m + 4));
            b = Channel(emf::LoadU32(m + 8));
            if (d.headerSize >= 56 && info.size() >= layout.masksOffset + 16)
                a = Channel(emf::LoadU32(m + 12));
        }
        const bool alpha = options.keepAlpha && bpp == 32;
        // Alpha sits in the top byte unless a V4/V5 header names another mask; bit fields
        // after a 40-byte header describe only red, green and blue.
        if (alpha && a.mask == 0 && ((r.mask | g.mask | b.mask) & 0xFF000000u) == 0) a = Channel(0xFF000000u);
        const bool partial = lines < height;
        QImage image(Width(), Height(),
                     alpha || partial ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        if (image.isNull()) {
            Fail(why, "out of memory for the bitmap");
            return {};
        }
        if (partial) image.fill(Qt::transparent);
        if (bpp <= 8) BuildColorTable();

        const int width = Width();
        for (uint32_t line = 0; line < lines; ++line) {
            const uint8_t* src = bits.data() + stride * line;
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(RowOf(first + line)));
            switch (bpp) {
            case 1:
                for (int x = 0; x < width; ++x) dst[x] = colors[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                for (int x = 0; x < width; ++x)
                    dst[x] = colors[(x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4];
                break;
            case 8:
                for (int x = 0; x < width; ++x) dst[x] = colors[src[x]];
                break;
            case 16:
                for (int x = 0; x < width; ++x) {
                    const uint32_t px = emf::LoadU16(src + 2 * x);
                    dst[x] = qRgb(static_cast<int>(r.Extract(px)), static_cast<int>(g.Extract(px)),
                                  static_cast<int>(b.Extract(px)));
                }
                break;
            case 24:
                for (int x = 0; x < width; ++x) dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            case 32:
                for (int x = 0; x < width; ++x) {
                    const uint32_t px = emf::LoadU32(src + 4 * x);
                    int rr = static_cast<int>(r.Extract(px));
                    int gg = static_cast<int>(g.Extract(px));
                    int bb = static_cast<int>(b.Extract(px));
                    if (alpha) {
                        const int aa = static_cast<int>(a.Extract(px));
                        dst[x] = qRgba(std::min(rr, aa), std::min(gg, aa), std::min(bb, aa), aa);
                    } else {
                        dst[x] = qRgb(rr, gg, bb);
                    }
                }
                break;
            }
        }
        return image;
    }

    // BI_RLE8 / BI_RLE4: runs and absolute stretches, with end-of-line, end-of-bitmap and
    // delta escapes. Pixels no run reaches stay transparent.
    QImage RunLength()
    {
        const DibInfo& d = layout.info;
        const bool rle8 = d.compression == BI_RLE8;
        if (d.bitCount != (rle8 ? 8 : 4)) {
            Fail(why, "run-length compression with bit count " + std::to_string(d.bitCount));
            return {};
        }
        if (d.topDown) {
            Fail(why, "run-length bitmap stored top-down");
            return {};
        }
        QImage image(Width(), Height(), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            Fail(why, "out of memory for the bitmap");
            return {};
        }
        image.fill(Qt::transparent);
        BuildColorTable();
        const int width = Width();
        const int64_t height = Height();
        int64_t x = 0;
        int64_t line = 0;
        auto put = [&](uint32_t index) {
            if (x < width && line < height)
                reinterpret_cast<QRgb*>(image.scanLine(RowOf(static_cast<uint32_t>(line))))[x] = colors[index];
            ++x;
        };
        const uint8_t* p = bits.data();
        const size_t size = bits.size();
        size_t pos = 0;
        while (pos + 1 < size && line < height) {
            const uint8_t n = p[pos];
            const uint8_t c = p[pos + 1];
            pos += 2;
            if (n > 0) {
                const int64_t count = std::min<int64_t>(n, std::max<int64_t>(0, width - x));
                for (int64_t k = 0; k < count; ++k) put(rle8 ? c : (k & 1) ? c & 0x0F : c >> 4);
                x += n - count;
                continue;
            }
            if (c == 0) {  // end of line
                x = 0;
                ++line;
            } else if (c == 1) {  // end of bitmap
                break;
            } else if (c == 2) {  // delta
                if (pos + 1 >= size) break;
                x += p[pos];
                line += p[pos + 1];
                pos += 2;
            } else {  // absolute: c pixels, padded to a 16-bit boundary
                const size_t bytes = rle8 ? c : (c + 1u) / 2;
                const size_t available = std::min(bytes, size - pos);
                for (size_t k = 0; k < static_cast<size_t>(c); ++k) {
                    const size_t at = rle8 ? k : k / 2;
                    if (at >= available) break;
                    put(rle8 ? p[pos + at] : (k & 1) ? p[pos + at] & 0x0F : p[pos + at] >> 4);
                }
                pos += bytes + (bytes & 1);
            }
        }
        return image;
    }

    // BI_JPEG / BI_PNG: the bits are a whole image file.
    QImage Embedded()
    {
        const DibInfo& d = layout.info;
        const bool jpeg = d.compression == BI_JPEG;
        size_t length = bits.size();
        if (d.sizeImage != 0 && d.sizeImage < length) length = d.sizeImage;
        const QByteArray data =
            QByteArray::fromRawData(reinterpret_cast<const char*>(bits.data()), static_cast<qsizetype>(length));
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, jpeg ? "jpeg" : "png");
        reader.setAllocationLimit(static_cast<int>(kMaxDibPixels * 4 / (1024 * 1024)));
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > kMaxDibSide || size.height() > kMaxDibSide ||
            int64_t{size.width()} * size.height() > kMaxDibPixels) {
            Fail(why, std::string("embedded ") + (jpeg ? "JPEG" : "PNG") + " image unreadable or too large");
            return {};
        }
        QImage image = reader.read();
        if (image.isNull()) {
            Fail(why, std::string("embedded ") + (jpeg ? "JPEG" : "PNG") + " image: " +
                          reader.errorString().toStdString());
            return {};
        }
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
        // Scaled to the header's size only when that size is modest; otherwise the image
        // keeps its own size and the player maps the header's pixels onto it.
        if (d.width > 0 && d.height > 0 && image.size() != QSize(d.width, d.height) &&
            int64_t{d.width} * d.height <= kMaxScaledEmbeddedPixels)
            image = image.scaled(d.width, d.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return image;
    }
};

}  // namespace

std::span<const uint32_t> DefaultPalette() { return kDefaultPalette; }

QImage DecodeDib(emf::Bytes info, emf::Bytes bits, const DibOptions& options, std::string* why)
{
    const auto layout = ParseLayout(info, options.usage, why);
    if (!layout) return {};
    const DibInfo& d = layout->info;
    const bool embedded = d.compression == BI_JPEG || d.compression == BI_PNG;
    if (!embedded) {
        if (d.width <= 0 || d.height <= 0) {
            Fail(why, "empty or negative bitmap size " + std::to_string(d.width) + " x " + std::to_string(d.height));
            return {};
        }
        if (d.width > kMaxDibSide || d.height > kMaxDibSide || int64_t{d.width} * d.height > kMaxDibPixels) {
            Fail(why, "bitmap of " + std::to_string(d.width) + " x " + std::to_string(d.height) + " is too large");
            return {};
        }
    } else if (d.width < 0 || d.width > kMaxDibSide || d.height > kMaxDibSide) {
        Fail(why, "embedded image size out of range");
        return {};
    }
    Decoder decoder{*layout, info, bits, options, why};
    switch (d.compression) {
    case BI_RGB:
    case BI_BITFIELDS:
        return decoder.Uncompressed();
    case BI_RLE8:
    case BI_RLE4:
        return decoder.RunLength();
    case BI_JPEG:
    case BI_PNG:
        return decoder.Embedded();
    default:
        Fail(why, "unsupported bitmap compression " + std::to_string(d.compression));
        return {};
    }
}

QImage DecodePackedDib(emf::Bytes packed, const DibOptions& options, std::string* why)
{
    const auto layout = ParseLayout(packed, options.usage, why);
    if (!layout) return {};
    const uint64_t bitsOffset = layout->tableOffset + uint64_t{layout->tableEntries} * layout->entrySize;
    if (bitsOffset > packed.size()) {
        Fail(why, "colour table runs past the end of the bitmap");
        return {};
    }
    return DecodeDib(packed.first(static_cast<size_t>(bitsOffset)), packed.subspan(static_cast<size_t>(bitsOffset)),
                     options, why);
}

QImage DecodeRecordDib(const emf::Record& record, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits,
                       uint32_t cbBits, const DibOptions& options, std::string* why)
{
    if (cbBmi == 0) {
        Fail(why, "record holds no bitmap");
        return {};
    }
    if (!record.Has(offBmi, cbBmi)) {
        Fail(why, "bitmap header outside the record");
        return {};
    }
    if (!record.Has(offBits, cbBits)) {
        Fail(why, "bitmap bits outside the record");
        return {};
    }
    return DecodeDib(record.Data().subspan(offBmi, cbBmi), record.Data().subspan(offBits, cbBits), options, why);
}

}  // namespace qrp::render
