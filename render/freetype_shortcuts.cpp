#include "render/freetype_shortcuts.h"

#include "render/next_definition.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <atomic>
#include <mutex>
#include <new>

namespace qrp::render::freetype {

namespace {

using CharIndexFn = FT_UInt (*)(FT_Face, FT_ULong);
using LoadGlyphFn = FT_Error (*)(FT_Face, FT_UInt, FT_Int32);

struct FreeTypeCalls {
    CharIndexFn charIndex;
    LoadGlyphFn loadGlyph;
};

constexpr const char* kFreeType = "libfreetype.so.6";

const FreeTypeCalls& Real()
{
    static const FreeTypeCalls calls{NextDefinition<CharIndexFn>("FT_Get_Char_Index", kFreeType),
                                      NextDefinition<LoadGlyphFn>("FT_Load_Glyph", kFreeType)};
    return calls;
}

// The glyph of each BMP character under one character map, plus one; 0: not asked yet.
// Relaxed atomics: two threads may fill the same entry, with the same value.
struct CharIndexTable {
    FT_CharMap charmap = nullptr;
    std::atomic<uint16_t> glyphPlusOne[0x10000] = {};
};

void FreeTable(void* object)
{
    const auto face = static_cast<FT_Face>(object);
    delete static_cast<CharIndexTable*>(face->generic.data);
    face->generic.data = nullptr;
    face->generic.finalizer = nullptr;
}

CharIndexTable* Ours(FT_Face face, void* data)
{
    return data && face->generic.finalizer == &FreeTable ? static_cast<CharIndexTable*>(data) : nullptr;
}

thread_local uint64_t tAsked = 0;

// The whole character map at once: Qt asks for every BMP character of every font it embeds,
// and walking the map's own entries costs far less than 65,536 searches. A character the
// walk does not name has no glyph; a glyph number too large for the table stays unknown.
void FillTable(CharIndexTable& table, FT_Face face)
{
    ++tAsked;
    for (auto& entry : table.glyphPlusOne) entry.store(1, std::memory_order_relaxed);
    // Character 0 through FreeType's own lookup: FT_Get_First_Char would come back here.
    FT_UInt glyph = Real().charIndex(face, 0);
    FT_ULong code = 0;
    while (code < 0x10000) {
        if (glyph != 0)
            table.glyphPlusOne[code].store(glyph < 0xFFFF ? static_cast<uint16_t>(glyph + 1) : 0, std::memory_order_relaxed);
        code = FT_Get_Next_Char(face, code, &glyph);
        if (glyph == 0) break;
    }
}

// face's table, made on first use; nullptr when the client slot holds another's data.
[[gnu::noinline]] CharIndexTable* MakeTable(FT_Face face)
{
    static std::mutex installing;
    const std::lock_guard lock(installing);
    std::atomic_ref<void*> slot(face->generic.data);
    if (void* data = slot.load(std::memory_order_acquire)) return Ours(face, data);
    if (face->generic.finalizer) return nullptr;
    auto* table = new (std::nothrow) CharIndexTable;
    if (!table) return nullptr;
    table->charmap = face->charmap;
    FillTable(*table, face);
    face->generic.finalizer = &FreeTable;
    slot.store(table, std::memory_order_release);
    return table;
}

inline CharIndexTable* TableOf(FT_Face face)
{
    void* data = std::atomic_ref<void*>(face->generic.data).load(std::memory_order_acquire);
    return data ? Ours(face, data) : MakeTable(face);
}

[[gnu::noinline]] FT_UInt Ask(FT_Face face, FT_ULong charcode)
{
    ++tAsked;
    return Real().charIndex(face, charcode);
}

}  // namespace

unsigned RealCharIndex(FT_Face face, unsigned long charcode) { return Real().charIndex(face, charcode); }

bool CharIndexesKept(FT_Face face)
{
    return Ours(face, std::atomic_ref<void*>(face->generic.data).load(std::memory_order_acquire)) != nullptr;
}

uint64_t CharIndexesAsked() { return tAsked; }

}  // namespace qrp::render::freetype

using namespace qrp::render::freetype;

// Exported from every program and module that holds them, whatever their default visibility.
#define QRP_INTERPOSED extern "C" __attribute__((visibility("default")))

namespace {

// Everything but a known answer: makes the face's table, asks FreeType, keeps the answer.
[[gnu::noinline]] FT_UInt CharIndexSlow(FT_Face face, FT_ULong charcode)
{
    if (face && charcode < 0x10000 && face->charmap) {
        CharIndexTable* table = TableOf(face);
        if (table && table->charmap == face->charmap) {
            std::atomic<uint16_t>& entry = table->glyphPlusOne[charcode];
            if (const uint16_t known = entry.load(std::memory_order_relaxed)) return known - 1u;
            const FT_UInt glyph = Ask(face, charcode);
            if (glyph < 0xFFFF) entry.store(static_cast<uint16_t>(glyph + 1), std::memory_order_relaxed);
            return glyph;
        }
    }
    return Ask(face, charcode);
}

}  // namespace

// Qt's PDF writer calls this for every BMP character of every font of every document: the
// known answer takes a handful of instructions and no stack frame.
QRP_INTERPOSED FT_UInt FT_Get_Char_Index(FT_Face face, FT_ULong charcode)
{
    if (face && charcode < 0x10000) [[likely]] {
        void* data = std::atomic_ref<void*>(face->generic.data).load(std::memory_order_acquire);
        if (data && face->generic.finalizer == &FreeTable) [[likely]] {
            const auto* table = static_cast<const CharIndexTable*>(data);
            if (table->charmap == face->charmap && face->charmap) [[likely]] {
                if (const uint16_t known = table->glyphPlusOne[charcode].load(std::memory_order_relaxed))
                    return known - 1u;
            }
        }
    }
    return CharIndexSlow(face, charcode);
}

QRP_INTERPOSED FT_Error FT_Load_Glyph(FT_Face face, FT_UInt glyph_index, FT_Int32 load_flags)
{
    // An outline at one pixel per design unit: Qt's unscaled glyph, for embedding.
    if (load_flags == FT_LOAD_NO_BITMAP && face && face->size && face->units_per_EM > 0 &&
        face->size->metrics.x_ppem == face->units_per_EM && face->size->metrics.y_ppem == face->units_per_EM)
        load_flags |= FT_LOAD_NO_HINTING;
    return Real().loadGlyph(face, glyph_index, load_flags);
}
