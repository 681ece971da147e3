// The pictures `qrptool render` plays: the pages of a report, or one bare EMF or WMF
// picture (placeable or not), told apart by their first bytes.
#pragma once

#include "emf/enh_metafile.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace qrptool {

// An input that cannot be read; what() says why, without the file name.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PictureSource {
public:
    virtual ~PictureSource() = default;
    virtual int PageCount() const = 0;
    // Page 1..PageCount(); throws InputError when the page cannot be read.
    virtual qrp::emf::HENHMETAFILE Page(int number) = 0;
};

// Opens path as a report, an EMF or a WMF; throws InputError when it is none of them.
std::unique_ptr<PictureSource> OpenPictureSource(const std::string& path);

// A Windows metafile body (no placeable header) as an enhanced metafile: converted once to
// learn its frame, then again with that frame as the METAFILEPICT extents, as a placeable
// picture is read. nullptr when the conversion refuses the body.
qrp::emf::HENHMETAFILE ConvertWindowsMetafile(qrp::emf::Bytes body);

}  // namespace qrptool
