// Fonts for LOGFONTs: the face substituted through the platform's font matching (Arial ->
// Liberation Sans and the like), at the pixel size GDI would realise.
#pragma once

#include "emf/records_objects.h"

#include <QHash>
#include <QRawFont>
#include <QString>

#include <algorithm>
#include <array>
#include <utility>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

namespace qrp::render {

// Vertical metrics of a face per em (its OS/2 table's Windows ascent and descent over its
// units per em): GDI's tmAscent and tmDescent are these at the realised em, rounded.
struct FaceMetrics {
    double ascent = 0;
    double descent = 0;
};

// The metrics of a face reports name that this platform lacks, so that a stand-in places
// its text where the face would: GDI puts TA_TOP text an ascent below the reference point
// and turns a cell height into an em by them. nullopt for a face not listed.
std::optional<FaceMetrics> KnownFaceMetrics(std::u16string_view face);

// A font at its pixel size, with what placing text asks of it on every run.
struct SizedFont {
    QRawFont font;
    double ascent = 0, descent = 0;      // font's, in pixels
    std::optional<FaceMetrics> standIn;  // FontCache::StandInMetrics of the LOGFONT
};

// Faces and sized fonts of one thread. Building a face costs far more than drawing with
// it, and a sized font keeps its rendered glyphs: one cache serves every page a thread
// plays (ForThisThread), so a worker pays for each face once.
class FontCache {
public:
    // This thread's cache; it lives as long as the thread. Qt's font objects are not shared
    // between threads, so neither is the cache.
    static FontCache& ForThisThread();
    // Drops every font (call before the application object goes).
    void Clear();

    // The font for lf with an em of pixelSize output pixels; without antialias its glyphs
    // are whole pixels; without hinting its outlines and advances are the design's, scaled.
    // The reference holds until the next call.
    const SizedFont& Sized(const emf::LogFont& lf, double pixelSize, bool antialias = true, bool hinted = true)
    {
        // The fonts handed out last and the one before are the ones asked for most (pages
        // alternate between two, as labels and values): looked at before any call.
        if (FRecent[FRecentHit].Matches(lf, pixelSize, antialias, hinted)) return FRecent[FRecentHit].sized;
        if (FRecent[FRecentBefore].Matches(lf, pixelSize, antialias, hinted)) {
            std::swap(FRecentHit, FRecentBefore);
            return FRecent[FRecentHit].sized;
        }
        return Find(lf, pixelSize, antialias, hinted);
    }
    // (ascent + descent) / em of lf's face: turns a cell height into an em height.
    double CellRatio(const emf::LogFont& lf);
    // The ascent and descent per em of the face lf asks for, when a stand-in draws it and
    // the face's own are known (KnownFaceMetrics); nullopt when the drawing font's apply.
    std::optional<FaceMetrics> StandInMetrics(const emf::LogFont& lf);
    // Average character width / em, for LOGFONT widths.
    double AverageWidthRatio(const emf::LogFont& lf);

private:
    // The last few fonts handed out, found by comparing the request's fields as given:
    // consecutive text runs mostly use one font, and this finds it without building a key.
    struct Recent {
        bool used = false;
        std::u16string face;
        uint8_t pitchAndFamily = 0;
        int32_t weight = 0;
        uint8_t italic = 0;
        bool antialias = false, hinted = false;
        double pixelSize = 0;
        SizedFont sized;
        bool Matches(const emf::LogFont& lf, double size, bool aa, bool hint) const
        {
            return used && pixelSize == size && weight == lf.weight && italic == lf.italic && antialias == aa &&
                   hinted == hint && pitchAndFamily == lf.pitchAndFamily && face.size() == lf.faceName.size() &&
                   std::equal(face.begin(), face.end(), lf.faceName.begin());  // memcmp, not a loop
        }
    };
    static constexpr size_t kRecent = 16;

    // Family, weight and rendering (antialias, hinting), italic.
    using Key = std::tuple<QString, int, bool>;
    const SizedFont& Find(const emf::LogFont& lf, double pixelSize, bool antialias, bool hinted);
    const QRawFont& Base(const emf::LogFont& lf, bool antialias = true, bool hinted = true);
    const QString& Family(const emf::LogFont& lf);
    std::map<Key, QRawFont> FBase;
    std::map<std::tuple<QString, int, bool, int>, QRawFont> FSized;
    QHash<QString, QString> FFamilies;  // face name -> installed family
    std::array<Recent, kRecent> FRecent;
    size_t FRecentNext = 0;
    size_t FRecentHit = 0;     // the slot found last: looked at first
    size_t FRecentBefore = 0;  // the one found before it: looked at second
};

// The face a LOGFONT asks for, with the empty face named.
QString FaceName(const emf::LogFont& lf);
// The installed family that draws it: a metric-compatible twin, the face itself, or, as
// GDI's font mapper does for a face it lacks, a family chosen by pitch and family bits.
QString ResolveFamily(const emf::LogFont& lf);

}  // namespace qrp::render
