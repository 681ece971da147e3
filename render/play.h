// Playing an enhanced metafile onto a QPainter, as the platform's PlayEnhMetaFile does.
#pragma once

#include "emf/enh_metafile.h"
#include "render/text_mode.h"

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace qrp::render {

// Why a record was not played: short fixed texts, shown to people as they are.
namespace skip {
inline constexpr std::string_view kUnsupported = "record type not supported";
inline constexpr std::string_view kDamaged = "damaged record";
inline constexpr std::string_view kOutOfMemory = "out of memory";
inline constexpr std::string_view kBadRecordSize = "record size outside the picture";
inline constexpr std::string_view kTooComplex = "picture too complex";
}  // namespace skip

// One record the player did not play.
struct SkippedRecord {
    uint32_t type = 0;       // the record's type number (0 when its header could not be read)
    uint32_t offset = 0;     // offset of its first byte in the picture
    std::string_view reason; // one of the skip:: texts, or another text with static storage
};

// What a playback met: records played, records skipped, and the first kMaxKept skipped
// records with where and why. skipped counts every one, kept or not: a hostile picture may
// hold millions of bad records.
struct PlayStats {
    static constexpr size_t kMaxKept = 100;

    uint32_t played = 0;
    uint32_t skipped = 0;
    std::vector<SkippedRecord> skips;
    // Playing stopped at the last skipped record: the picture asked for more work than a
    // page may cost (skip::kTooComplex). What was drawn before stays.
    bool tooComplex = false;

    // Counts a skipped record and keeps it while fewer than kMaxKept are kept. reason must
    // have static storage (a string literal or a skip:: text).
    void Skip(uint32_t type, uint32_t offset, std::string_view reason);
    bool Clean() const { return skipped == 0; }
};

// The skipped records as text, one line each ("  offset 1234: EMR_FOO (type 84): reason"),
// with a last line telling how many more were skipped than kept. Empty for a clean playback.
std::string DescribeSkips(const PlayStats& stats, std::string_view indent = "  ");

// The name of an EMF record type ("EMR_EXTTEXTOUTW"), or "unknown" for a number outside the
// format.
std::string_view RecordTypeName(uint32_t type);

// Maps the picture's frame onto rect (frame left/top to rect.left()/top(), frame
// right/bottom to rect.right()/bottom(), both inclusive, as QRect's right() and bottom()
// are) and plays every record, drawing text as text says. Never throws; leaves the
// painter's state as it found it.
PlayStats PlayEnhMetaFile(QPainter& painter, const emf::EnhMetaFile& picture, const QRect& rect,
                          TextMode text = TextMode::kGdi);

// Plays picture into rect onto a device that draws nothing: what a playback would skip,
// without pixels. Never throws.
PlayStats SurveyEnhMetaFile(const emf::EnhMetaFile& picture, const QRect& rect);

}  // namespace qrp::render
