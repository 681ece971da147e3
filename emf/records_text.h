// Typed views over the text records: EXTTEXTOUTW/A, POLYTEXTOUTW/A and SMALLTEXTOUT, all
// read into one form: a list of text runs with their reference points and advances.
#pragma once

#include "emf/records_common.h"

#include <string>
#include <vector>

namespace qrp::emf {

struct TextRun {
    Point32 reference;
    // UTF-16 text; ANSI records are widened through Windows-1252. With ETO_GLYPH_INDEX the
    // units are glyph indices.
    std::u16string text;
    // The string's bytes as recorded when it is 8-bit (EXTTEXTOUTA, POLYTEXTOUTA,
    // SMALLTEXTOUT with ETO_SMALL_CHARS); empty for UTF-16 strings.
    Bytes narrow;
    uint32_t options = 0;
    RectL rect;  // the ETO_OPAQUE / ETO_CLIPPED rectangle
    // One advance per character in logical units, or empty when the record has none (or
    // its array lies outside the record). With ETO_PDY, dy holds the vertical advances.
    std::vector<int32_t> dx;
    std::vector<int32_t> dy;
};

struct EmrTextOut {
    RectL bounds;
    uint32_t graphicsMode = 1;
    float exScale = 0, eyScale = 0;
    std::vector<TextRun> runs;

    // EXTTEXTOUTW/A and POLYTEXTOUTW/A (one run per string) and SMALLTEXTOUT.
    static std::optional<EmrTextOut> Read(const Record& r);
    // The same into *out, every field rewritten and the runs' buffers reused: a reader of
    // many records allocates once. False for a damaged record, which leaves *out unusable.
    static bool ReadInto(const Record& r, EmrTextOut* out);
};

// Windows-1252 to UTF-16 for one byte.
char16_t WidenAnsi(uint8_t c);

}  // namespace qrp::emf
