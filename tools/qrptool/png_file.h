// PNG files of page images, written with libpng: one fixed row filter and zlib's fastest
// level. Qt's PNG writer lets libpng try every filter on every row, which took most of
// the time of a one-page render; pages are mostly flat colour, which the "up" filter and
// a fast level compress well.
#pragma once

#include <QImage>

#include <stdexcept>
#include <string>

namespace qrptool {

class PngWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes image (any format; alpha is dropped) as an 8-bit RGB PNG to the open file
// descriptor, with its resolution when the image has one. Throws PngWriteError with
// libpng's or the system's reason.
void WritePng(const QImage& image, int descriptor);

}  // namespace qrptool
