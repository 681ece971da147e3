// TMetafile: a page picture, an enhanced metafile in memory with its frame size in 0.01 mm.
// Stream forms: the enhanced metafile's own bytes, or a placeable Windows metafile.
#pragma once

#include "base/stream.h"
#include "emf/enh_metafile.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qrp {

// No real page picture is larger: a picture that claims more is refused before anything
// is allocated for it.
constexpr int32_t kMaxPictureBytes = 256 << 20;

// The picture data, shared between copies of a picture and copied before a change.
struct TMetafileImage {
    emf::HENHMETAFILE FHandle;  // none while the picture is empty
    int32_t FWidth = 0;         // frame width in 0.01 mm
    int32_t FHeight = 0;        // frame height in 0.01 mm
    uint16_t FInch = 0;         // units per inch of a placeable read; 0 for an enhanced read
    int32_t FTempWidth = 0;
    int32_t FTempHeight = 0;
};

// The screen resolution assumed where no screen is known.
inline constexpr int32_t kDefaultScreenPixelsPerInch = 96;

class TMetafile {
public:
    TMetafile();

    // Reads one picture at the stream's position and replaces the current one. A picture
    // claiming more than kMaxPictureBytes raises EReadError.
    void LoadFromStream(TStream& stream);
    // Writes the picture at the stream's position in the form chosen by Enhanced.
    void SaveToStream(TStream& stream) const;

    // Size in pixels: at the recording device's resolution for an enhanced picture; a
    // placeable read measures itself against the screen's pixels per inch, which the caller
    // (the report printer, owner of the screen's resolution) passes down.
    int32_t Width(int32_t screenPixelsPerInch = kDefaultScreenPixelsPerInch) const;
    int32_t Height(int32_t screenPixelsPerInch = kDefaultScreenPixelsPerInch) const;
    int32_t MMWidth() const { return FImage->FWidth; }
    int32_t MMHeight() const { return FImage->FHeight; }
    uint16_t Inch() const { return FImage->FInch; }
    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool enhanced) { FEnhanced = enhanced; }

    // The enhanced-metafile object, or nullptr while the picture is empty.
    const emf::EnhMetaFile* Handle() const { return FImage->FHandle.get(); }
    const emf::HENHMETAFILE& SharedHandle() const { return FImage->FHandle; }
    // Takes over a picture built elsewhere (the frame size comes from its header).
    void SetHandle(emf::HENHMETAFILE handle);

    // Observers called after every successful read.
    void SetOnChange(std::function<void()> onChange) { FOnChange = std::move(onChange); }

private:
    void ReadEnhancedPicture(TStream& stream);
    void ReadPlaceablePicture(TStream& stream, int32_t length);
    void WriteEnhancedPicture(TStream& stream) const;
    void WritePlaceablePicture(TStream& stream) const;
    void NewImage();

    std::shared_ptr<TMetafileImage> FImage;
    bool FEnhanced = true;
    std::function<void()> FOnChange;
};

}  // namespace qrp
