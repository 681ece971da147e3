#include "render/fonts.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace qrp::render {

namespace {

constexpr double kBaseSize = 256;
// Entries kept per map: far more than a report uses, few enough to bound a crafted one.
constexpr size_t kMaxEntries = 512;

int Weight(const emf::LogFont& lf)
{
    if (lf.weight <= 0) return 400;
    return std::clamp(lf.weight, 1, 1000);
}

// The weight and the rendering in one key part.
int Style(const emf::LogFont& lf, bool antialias, bool hinted)
{
    return Weight(lf) * 4 + (antialias ? 1 : 0) + (hinted ? 2 : 0);
}

}  // namespace

std::optional<FaceMetrics> KnownFaceMetrics(std::u16string_view face)
{
    struct Known {
        std::u16string_view face;  // lower case
        FaceMetrics metrics;
    };
    // Tahoma (regular and bold): Windows ascent 2049 and descent 423 in 2048 units per em.
    // The sans-serif stand-ins reach only 0.91 to 0.93 em above the baseline, which puts a
    // line at TA_TOP a tenth of its height too high.
    static constexpr Known kKnown[] = {
        {u"tahoma", {2049.0 / 2048, 423.0 / 2048}},
    };
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    for (const Known& k : kKnown)
        if (std::equal(face.begin(), face.end(), k.face.begin(), k.face.end(),
                       [&](char16_t a, char16_t b) { return lower(a) == b; }))
            return k.metrics;
    return std::nullopt;
}

QString FaceName(const emf::LogFont& lf)
{
    if (lf.faceName.empty()) return QStringLiteral("Arial");
    return QString::fromUtf16(lf.faceName.data(), static_cast<qsizetype>(lf.faceName.size()));
}

QString ResolveFamily(const emf::LogFont& lf)
{
    // The faces reports use most have metric-compatible twins here.
    static const QHash<QString, QString> twins = {
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("arial narrow"), QStringLiteral("Liberation Sans Narrow")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("times"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
    };
    static const QSet<QString> installed = [] {
        QSet<QString> set;
        for (const QString& family : QFontDatabase::families()) set.insert(family.toLower());
        return set;
    }();
    const QString face = FaceName(lf);
    const QString key = face.toLower();
    const auto twin = twins.find(key);
    if (twin != twins.end()) return *twin;
    if (installed.contains(key)) return face;
    // Like GDI's font mapper, a face that is not there falls back by family and pitch.
    constexpr uint8_t kFixedPitch = 1, kRoman = 0x10, kModern = 0x30;
    const uint8_t family = lf.pitchAndFamily & 0xF0;
    if (family == kModern || (lf.pitchAndFamily & 3) == kFixedPitch) return QStringLiteral("Liberation Mono");
    if (family == kRoman) return QStringLiteral("Liberation Serif");
    return QStringLiteral("Liberation Sans");
}

FontCache& FontCache::ForThisThread()
{
    // Owned by the thread; the main thread's cache is emptied when the application object
    // goes, since fonts must not outlive it.
    static thread_local FontCache cache;
    static thread_local const bool registered = [] {
        if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
            qAddPostRoutine([] { ForThisThread().Clear(); });
        return true;
    }();
    (void)registered;
    return cache;
}

void FontCache::Clear()
{
    FRecent = {};
    FSized.clear();
    FBase.clear();
    FFamilies.clear();
}

const QString& FontCache::Family(const emf::LogFont& lf)
{
    // The family depends on the face and, for a face that is not installed, on the pitch.
    const QString key = FaceName(lf) + QChar(0) + QChar(lf.pitchAndFamily);
    auto it = FFamilies.find(key);
    if (it == FFamilies.end()) {
        if (static_cast<size_t>(FFamilies.size()) >= kMaxEntries) FFamilies.clear();  // a file naming faces without end
        it = FFamilies.insert(key, ResolveFamily(lf));
    }
    return *it;
}

const QRawFont& FontCache::Base(const emf::LogFont& lf, bool antialias, bool hinted)
{
    const Key key{Family(lf), Style(lf, antialias, hinted), lf.italic != 0};
    auto it = FBase.find(key);
    if (it != FBase.end()) return it->second;
    if (FBase.size() >= kMaxEntries) FBase.clear();  // sized fonts keep their own copies
    QFont font(std::get<0>(key));
    font.setPixelSize(static_cast<int>(kBaseSize));
    font.setWeight(static_cast<QFont::Weight>(Weight(lf)));
    font.setItalic(lf.italic != 0);
    font.setStyleHint(QFont::SansSerif);
    font.setHintingPreference(hinted ? QFont::PreferDefaultHinting : QFont::PreferNoHinting);
    if (!antialias) font.setStyleStrategy(QFont::NoAntialias);
    QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid()) raw = QRawFont::fromFont(QFont(QStringLiteral("Liberation Sans"), static_cast<int>(kBaseSize)));
    return FBase.emplace(key, raw).first->second;
}

const SizedFont& FontCache::Find(const emf::LogFont& lf, double pixelSize, bool antialias, bool hinted)
{
    for (size_t i = 0; i < kRecent; ++i) {
        if (!FRecent[i].Matches(lf, pixelSize, antialias, hinted)) continue;
        FRecentBefore = FRecentHit;
        FRecentHit = i;
        return FRecent[i].sized;
    }
    // Sizes are kept to 1/64 pixel.
    const int size64 = std::max(1, static_cast<int>(std::lround(pixelSize * 64)));
    const int style = Style(lf, antialias, hinted);
    const bool italic = lf.italic != 0;
    const auto key = std::make_tuple(Family(lf), style, italic, size64);
    auto it = FSized.find(key);
    if (it == FSized.end()) {
        QRawFont raw = Base(lf, antialias, hinted);
        raw.setPixelSize(size64 / 64.0);
        if (FSized.size() >= kMaxEntries) FSized.clear();
        it = FSized.emplace(key, raw).first;
    }
    FRecentBefore = FRecentHit;
    FRecentHit = FRecentNext++ % kRecent;
    Recent& slot = FRecent[FRecentHit];
    const QRawFont& font = it->second;
    slot = {true, lf.faceName, lf.pitchAndFamily, lf.weight, lf.italic, antialias, hinted, pixelSize,
            {font, font.ascent(), font.descent(), StandInMetrics(lf)}};
    return slot.sized;
}

std::optional<FaceMetrics> FontCache::StandInMetrics(const emf::LogFont& lf)
{
    const std::optional<FaceMetrics> known = KnownFaceMetrics(lf.faceName);
    // An installed face draws itself, with its own metrics.
    if (!known || Family(lf).compare(FaceName(lf), Qt::CaseInsensitive) == 0) return std::nullopt;
    return known;
}

double FontCache::CellRatio(const emf::LogFont& lf)
{
    if (const auto known = StandInMetrics(lf)) return known->ascent + known->descent;
    const QRawFont& raw = Base(lf);
    if (!raw.isValid()) return 1.15;
    const double ratio = (raw.ascent() + raw.descent()) / raw.pixelSize();
    return ratio > 0.5 && ratio < 4 ? ratio : 1.15;
}

double FontCache::AverageWidthRatio(const emf::LogFont& lf)
{
    const QRawFont& raw = Base(lf);
    if (!raw.isValid()) return 0.5;
    const double ratio = raw.averageCharWidth() / raw.pixelSize();
    return ratio > 0.05 && ratio < 4 ? ratio : 0.5;
}

}  // namespace qrp::render
