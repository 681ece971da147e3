// How hard Qt's PDF writer compresses. It deflates every stream of a document (page
// contents, embedded fonts, images) at zlib's default level, which was about a fifth of a
// conversion's CPU time; zlib's fastest level costs a third of that for slightly larger
// files. Qt offers no setting, so this file's definitions of zlib's two stream set-up calls
// take the place of zlib's in the module (as render/freetype_shortcuts.h does for
// FreeType) and lower the default level while a FastPdfDeflate lives on the calling
// thread. Every other stream, and every level asked for explicitly, is left as it is.
#pragma once

namespace qrptool {

// zlib's level for streams begun at the default level inside a FastPdfDeflate.
constexpr int kFastPdfDeflateLevel = 1;

// Marks the calling thread as writing a PDF for as long as it lives; nests.
class FastPdfDeflate {
public:
    FastPdfDeflate();
    ~FastPdfDeflate();
    FastPdfDeflate(const FastPdfDeflate&) = delete;
    FastPdfDeflate& operator=(const FastPdfDeflate&) = delete;

    // The level a stream begun now at level would get.
    static int LevelFor(int level);
};

}  // namespace qrptool
