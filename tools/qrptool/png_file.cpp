#include "tools/qrptool/png_file.h"

#include <png.h>

#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>

namespace qrptool {

namespace {

// What the callbacks share with the writer; plain data, since libpng leaves by longjmp.
struct Sink {
    int descriptor = -1;
    int error = 0;           // the system's error number of a failed write
    char message[160] = {};  // libpng's reason
};

void WriteBytes(png_structp png, png_bytep data, size_t length)
{
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    while (length > 0) {
        const ssize_t written = ::write(sink->descriptor, data, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            sink->error = written < 0 ? errno : ENOSPC;
            png_error(png, "write failed");
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
}

void FlushNothing(png_structp) {}

void OnError(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<Sink*>(png_get_error_ptr(png));
    std::strncpy(sink->message, message ? message : "libpng error", sizeof sink->message - 1);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The whole encoding between setjmp and its longjmp: no object here has a destructor.
bool Encode(png_structp png, png_infop info, const QImage& image)
{
    if (setjmp(png_jmpbuf(png))) return false;
    const auto width = static_cast<png_uint_32>(image.width());
    const auto height = static_cast<png_uint_32>(image.height());
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        png_set_pHYs(png, info, static_cast<png_uint_32>(image.dotsPerMeterX()),
                     static_cast<png_uint_32>(image.dotsPerMeterY()), PNG_RESOLUTION_METER);
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    // A 32-bit pixel of Qt's is 0xAARRGGBB in the machine's order: B, G, R, A in memory.
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    for (png_uint_32 y = 0; y < height; ++y) png_write_row(png, image.constScanLine(static_cast<int>(y)));
    png_write_end(png, info);
    return true;
}

}  // namespace

void WritePng(const QImage& image, int descriptor)
{
    if (image.isNull()) throw PngWriteError("no image to write");
    const QImage pixels = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull()) throw PngWriteError("out of memory for the image");
    Sink sink;
    sink.descriptor = descriptor;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnError, OnWarning);
    if (!png) throw PngWriteError("out of memory for the PNG writer");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw PngWriteError("out of memory for the PNG writer");
    }
    png_set_write_fn(png, &sink, WriteBytes, FlushNothing);
    const bool written = Encode(png, info, pixels);
    png_destroy_write_struct(&png, &info);
    if (sink.error != 0) throw PngWriteError(std::strerror(sink.error));
    if (!written) throw PngWriteError(sink.message);
}

}  // namespace qrptool
