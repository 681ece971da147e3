#include "emf/dc_mapping.h"

#include "emf/emr_types.h"

#include <gtest/gtest.h>

#include <limits>

namespace qrp::emf {
namespace {

using namespace gdi;

// The 96-dpi screen: 1024 x 768 pixels on 320 x 240 mm, square pixels.
const ReferenceDevice kScreen{};

struct Extents {
    int32_t wx, wy, vx, vy;
    friend bool operator==(const Extents&, const Extents&) = default;
};

Extents Of(const DcMapping& m) { return {m.WindowExtX(), m.WindowExtY(), m.ViewportExtX(), m.ViewportExtY()}; }

void PrintTo(const Extents& e, std::ostream* os) { *os << "window " << e.wx << "x" << e.wy << ", viewport " << e.vx << "x" << e.vy; }

TEST(DcMapping, SettingTheScalableModeAgainKeepsItsExtentsAnotherModeResetsThem)
{
    for (const int32_t mode : {MM_ISOTROPIC, MM_ANISOTROPIC}) {
        DcMapping m(kScreen);
        m.SetMapMode(mode);
        m.SetWindowExt(1000, 1000);
        m.SetViewportExt(320, 320);
        const Extents set = Of(m);
        m.SetMapMode(mode);
        EXPECT_EQ(Of(m), set) << "mode " << mode;
        m.SetMapMode(MM_TEXT);
        EXPECT_EQ(Of(m), (Extents{1, 1, 1, 1}));
    }
    // Coming from another mode, MM_ISOTROPIC starts from the device's 0.1 mm units and
    // MM_ANISOTROPIC keeps what it finds.
    DcMapping m(kScreen);
    m.SetMapMode(MM_ISOTROPIC);
    EXPECT_EQ(Of(m), (Extents{3200, 2400, 1024, -768}));
    m.SetMapMode(MM_ANISOTROPIC);
    EXPECT_EQ(Of(m), (Extents{3200, 2400, 1024, -768}));
}

TEST(DcMapping, MetricModesRoundTheDeviceSizeInTheirUnits)
{
    const struct {
        int32_t mode;
        Extents extents;
    } cases[] = {
        {MM_LOMETRIC, {3200, 2400, 1024, -768}},  {MM_HIMETRIC, {32000, 24000, 1024, -768}},
        {MM_LOENGLISH, {1260, 945, 1024, -768}},  // 944.88 rounds up
        {MM_HIENGLISH, {12598, 9449, 1024, -768}}, {MM_TWIPS, {18142, 13606, 1024, -768}},
    };
    for (const auto& c : cases) {
        DcMapping m(kScreen);
        m.SetMapMode(c.mode);
        EXPECT_EQ(Of(m), c.extents) << "mode " << c.mode;
        m.SetWindowExt(5, 5);  // fixed extents: ignored
        EXPECT_EQ(Of(m), c.extents) << "mode " << c.mode;
    }
    DcMapping m(kScreen);
    m.SetMapMode(0);
    m.SetMapMode(9);
    EXPECT_EQ(m.MapMode(), MM_TEXT);
}

TEST(DcMapping, IsotropicShrinksTheLongerViewportExtentOnTheDevicesPixelShape)
{
    DcMapping m(kScreen);
    m.SetMapMode(MM_ISOTROPIC);
    m.SetWindowExt(1000, 1000);
    m.SetViewportExt(400, -200);
    EXPECT_EQ(Of(m), (Extents{1000, 1000, 200, -200}));
    m.SetWindowExt(1000, 10);  // a y unit would be 100 times an x unit: y shrinks
    EXPECT_EQ(Of(m), (Extents{1000, 10, 200, -2}));

    // Pixels twice as tall as wide: a square of logical units is half as many pixels high.
    DcMapping tall({1000, 500, 100, 100});
    tall.SetMapMode(MM_ISOTROPIC);
    tall.SetWindowExt(100, 100);
    tall.SetViewportExt(1000, 1000);
    EXPECT_EQ(Of(tall), (Extents{100, 100, 1000, 500}));

    // A correction never reaches 0.
    m.SetViewportExt(1, -200000);
    m.SetWindowExt(1, 100000000);
    EXPECT_NE(m.ViewportExtX(), 0);
    EXPECT_NE(m.ViewportExtY(), 0);
}

TEST(DcMapping, ScalingTruncatesKeepsTheSignAndRefusesUnusableResults)
{
    DcMapping m(kScreen);
    m.ScaleViewportExt(2, 1, 2, 1);  // MM_TEXT: ignored
    EXPECT_EQ(Of(m), (Extents{1, 1, 1, 1}));

    m.SetMapMode(MM_ANISOTROPIC);
    m.SetWindowExt(100, -100);
    m.SetViewportExt(7, 7);
    m.ScaleWindowExt(1, 3, 1, 3);
    EXPECT_EQ(Of(m), (Extents{33, -33, 7, 7}));
    m.ScaleViewportExt(1, 100, -1, 100);  // 0.07 and -0.07 become 1 and -1
    EXPECT_EQ(Of(m), (Extents{33, -33, 1, -1}));

    const Extents before = Of(m);
    m.ScaleWindowExt(0, 1, 1, 1);  // a zero extent
    m.ScaleWindowExt(1, 0, 1, 1);  // a zero denominator
    m.ScaleWindowExt(std::numeric_limits<int32_t>::max(), 1, std::numeric_limits<int32_t>::max(), 1);  // past 32 bits
    m.SetViewportExt(0, 5);
    EXPECT_EQ(Of(m), before);
}

TEST(DcMapping, WorldTransformComposesBeforeThePageMapping)
{
    DcMapping m(kScreen);
    m.SetMapMode(MM_ANISOTROPIC);
    m.SetWindowOrg(100, 100);
    m.SetWindowExt(10, 10);
    m.SetViewportExt(20, -40);
    m.SetViewportOrg(5, 7);

    XForm shift;
    shift.dx = 10;
    XForm twice;
    twice.m11 = twice.m22 = 2;
    EXPECT_TRUE(m.ModifyWorld(shift, MWT_SET));
    EXPECT_TRUE(m.ModifyWorld(twice, MWT_RIGHTMULTIPLY));  // shift, then twice
    PointD p = m.ToDevice(50, 50);
    EXPECT_DOUBLE_EQ(p.x, (120 - 100) * 2.0 + 5);
    EXPECT_DOUBLE_EQ(p.y, (100 - 100) * -4.0 + 7);
    EXPECT_TRUE(m.ModifyWorld(shift, MWT_LEFTMULTIPLY));  // shift, shift, twice
    EXPECT_FLOAT_EQ(m.World().dx, 40);
    EXPECT_DOUBLE_EQ(m.ScaleX(), 4);
    EXPECT_DOUBLE_EQ(m.ScaleY(), 8);

    EXPECT_FALSE(m.ModifyWorld(twice, 5));
    EXPECT_FLOAT_EQ(m.World().dx, 40);
    EXPECT_TRUE(m.ModifyWorld(twice, MWT_IDENTITY));
    EXPECT_FLOAT_EQ(m.World().m11, 1);

    // The page mapping alone, as the player composes it.
    const XForm page = m.Page();
    p = m.ToDevice(30, 60);
    EXPECT_DOUBLE_EQ(page.m11 * 30 + page.dx, p.x);
    EXPECT_DOUBLE_EQ(page.m22 * 60 + page.dy, p.y);
}

TEST(DcMapping, DeviceFieldsThatAreNotPositiveTakeTheDefaults)
{
    DcMapping m({0, -5, 0, 240});
    m.SetMapMode(MM_LOMETRIC);
    EXPECT_EQ(Of(m), (Extents{3200, 2400, 1024, -768}));

    EnhMetaHeader h;
    h.szlDevice = {2480, 0};
    h.szlMillimeters = {-1, 297};
    const ReferenceDevice d = RecordingDevice(h);
    EXPECT_EQ(d.widthPixels, 2480);
    EXPECT_EQ(d.heightPixels, 768);
    EXPECT_EQ(d.widthMillimeters, 320);
    EXPECT_EQ(d.heightMillimeters, 297);
}

}  // namespace
}  // namespace qrp::emf
