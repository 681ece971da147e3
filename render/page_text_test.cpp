// The text a playback draws: runs with character boxes, reading order, and matching that
// ignores case and accents.
#include "render/page_text.h"
#include "render/player.h"
#include "render/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <limits>
#include <optional>

namespace qrp::render {
namespace {

using namespace qrp::testsupport;
using namespace emf::gdi;
using emf::EmfWriter;

PageTextRuns Runs(const emf::EnhMetaFile& picture, int size, std::optional<QSizeF> page = std::nullopt)
{
    TextDevice device(1, 1, page);
    Player player(device, picture, PixelRect(size));
    player.Play();
    return device.TakeRuns();
}

TEST(TextDevice, KeepsEachCharacterCellFromTheAdvancesAndLeavesGlyphIndicesOut)
{
    EmfWriter w = PixelWriter(200);
    SelectArial(w, 1, -20);
    w.SetTextAlign(TA_BASELINE);
    const int32_t dx[] = {30, 5, 12};
    w.ExtTextOutW({10, 50}, u"Wil", dx);
    w.ExtTextOutW({10, 150}, u"\x0024\x0025", {}, ETO_GLYPH_INDEX);
    SelectArial(w, 2, -20, 900);  // up the page
    w.ExtTextOutW({100, 180}, u"ab", {});
    const auto picture = Picture(w);
    const PageTextRuns page = Runs(*picture, 200);
    ASSERT_EQ(page.runs.size(), 2u);

    const PageTextRun& flat = page.runs[0];
    EXPECT_EQ(page.Text(flat), u"Wil");
    EXPECT_EQ(flat.height, 20);
    EXPECT_FALSE(flat.Rotated());
    const auto boxes = page.Boxes(flat);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_DOUBLE_EQ(boxes[0].left(), 10);
    EXPECT_DOUBLE_EQ(boxes[0].right(), 40);
    EXPECT_DOUBLE_EQ(boxes[1].left(), 40);
    EXPECT_DOUBLE_EQ(boxes[1].right(), 45);
    EXPECT_DOUBLE_EQ(boxes[2].left(), 45);
    EXPECT_GT(boxes[2].right(), 45);  // the last cell is the glyph's own advance
    EXPECT_LT(boxes[0].top(), 50);
    EXPECT_GT(boxes[0].bottom(), 50);

    const PageTextRun& up = page.runs[1];
    EXPECT_TRUE(up.Rotated());
    const auto upBoxes = page.Boxes(up);
    ASSERT_EQ(upBoxes.size(), 2u);
    // The second character sits above the first, and its cell is taller than wide.
    EXPECT_LT(upBoxes[1].top(), upBoxes[0].top());
    EXPECT_GT(upBoxes[0].height(), 0);
    EXPECT_LT(upBoxes[0].height(), upBoxes[0].width() + 20);
}

TEST(TextDevice, PictureTextIsInMillimetresOnTheFrame)
{
    emf::EmfWriterOptions options;  // A4 frame, 1024 px on 320 mm
    EmfWriter w(options);
    SelectArial(w, 1, -32);  // 10 mm
    w.SetTextAlign(TA_BASELINE);
    w.ExtTextOutW({320, 640}, u"X", {});  // 100 mm, 200 mm
    const auto picture = Picture(w);
    const auto runs = PictureTextRuns(*picture).runs;
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(runs[0].origin.x(), 100, 0.2);
    EXPECT_NEAR(runs[0].origin.y(), 200, 0.2);
    EXPECT_NEAR(runs[0].height, 10, 0.2);
}

TEST(TextDevice, GivenThePageKeepsWhatOnThePageKeepsAndEachRunsBounds)
{
    EmfWriter w = PixelWriter(200);
    SelectArial(w, 1, -20);
    w.SetTextAlign(TA_BASELINE);
    w.ExtTextOutW({-40, 30}, u"coming in", {});
    w.ExtTextOutW({140, 60}, u"leaving", {});
    w.ExtTextOutW({10, 90}, u"A\xD83D\xDE00 B \xD83D\xDE00", {});  // surrogate pairs share a cell
    const int32_t dx[] = {30, -20, 40, 30, 30};  // a step back, and out on the right
    w.ExtTextOutW({120, 150}, u"steps", dx);
    w.ExtTextOutW({10, 215}, u"below", {});
    SelectArial(w, 2, -20, 900);  // up the page
    w.ExtTextOutW({190, 60}, u"up the edge", {});
    const auto picture = Picture(w);

    const QSizeF page(201, 201);
    TextDevice whole, paged(1, 1, page);
    Player(whole, *picture, PixelRect(200)).Play();
    Player(paged, *picture, PixelRect(200)).Play();
    // Crafted runs: coordinates that are no numbers or infinite, upright and turned.
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const struct {
        std::vector<QPointF> positions;
        double angle;
    } crafted[] = {
        {{{nan, 50}, {20, 50}, {30, 50}}, 0},
        {{{10, 50}, {nan, 50}, {30, 50}}, 0},
        {{{10, 50}, {20, 50}, {30, nan}}, 0},
        {{{10, nan}, {20, nan}}, 0},
        {{{10, 50}, {inf, 50}, {30, 50}}, 0},
        {{{-inf, 50}, {20, 50}}, 0},
        {{{10, 50}, {20, 50}, {nan, 50}}, 30},
        {{{10, 50}, {inf, 60}}, -30},
    };
    for (const auto& c : crafted) {
        GlyphRun run;
        run.positions = c.positions;
        run.end = c.positions.back() + QPointF(10, 0);
        run.text = QString(static_cast<qsizetype>(c.positions.size()), u'x');
        run.angle = c.angle;
        whole.DrawGlyphs(run);
        paged.DrawGlyphs(run);
    }

    auto sameBits = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    const PageTextRuns expected = OnThePage(whole.TakeRuns(), page);
    const PageTextRuns kept = paged.TakeRuns();
    ASSERT_EQ(kept.runs.size(), expected.runs.size());
    ASSERT_GT(kept.runs.size(), 8u);
    for (size_t i = 0; i < kept.runs.size(); ++i) {
        SCOPED_TRACE(i);
        const PageTextRun& run = kept.runs[i];
        EXPECT_EQ(kept.Text(run), expected.Text(expected.runs[i]));
        EXPECT_TRUE(sameBits(run.origin, expected.runs[i].origin));
        const auto boxes = kept.Boxes(run), expectedBoxes = expected.Boxes(expected.runs[i]);
        EXPECT_TRUE(std::ranges::equal(boxes, expectedBoxes, sameBits));
        PageTextRun unknown = run;
        unknown.bounds.reset();
        EXPECT_TRUE(sameBits(kept.Bounds(unknown), kept.Bounds(run))) << "the device's bounds are its boxes' union";
    }
}

// Adds to page a level run with cells of equal advance.
PageTextRun& AddRun(PageTextRuns& page, const QString& text, double x, double baseline, double height = 4,
                    double advance = 2)
{
    PageTextRun& run = page.runs.emplace_back();
    run.first = static_cast<qsizetype>(page.text.size());
    run.length = text.size();
    run.origin = {x, baseline};
    run.height = height;
    page.text += text.toStdU16String();
    for (qsizetype i = 0; i < text.size(); ++i)
        page.boxes.emplace_back(x + advance * static_cast<double>(i), baseline - 0.8 * height, advance, height);
    return run;
}

TEST(ReadingOrder, LinesByBaselineRunsLeftToRightWithSpacesAndCellTabs)
{
    PageTextRuns runs;
    AddRun(runs, "10,5", 60, 30);              // a table row, drawn right cell first
    AddRun(runs, "Hemoglobina", 10, 30.4);     // same line within tolerance
    AddRun(runs, "g/dL", 70.5, 29.8);          // one space away from 10,5
    AddRun(runs, "  Paciente:  ", 8, 10);      // blanks trimmed
    AddRun(runs, "MARIA", 40, 10);             // wide gap: a cell
    AddRun(runs, "MARIA", 40.3, 10.2);         // drawn again as a shadow
    AddRun(runs, "   ", 50, 50);               // nothing visible
    AddRun(runs, "Fim", 10, 33.5);             // under the row, too far for it
    PageText made = ReadingOrder(std::move(runs));
    const PageText page = std::move(made);  // the lines still look into its buffers
    EXPECT_EQ(page.Text().toStdString(), "Paciente:\tMARIA\nHemoglobina\t10,5 g/dL\nFim\n");
    ASSERT_EQ(page.lines.size(), 3u);
    const TextLine& row = page.lines[1];
    EXPECT_EQ(row.text, u"Hemoglobina\t10,5 g/dL");
    ASSERT_EQ(row.boxes.size(), static_cast<size_t>(row.text.size()));
    EXPECT_TRUE(row.boxes[11].isNull());  // the inserted tab has no box
    EXPECT_DOUBLE_EQ(row.boxes[12].left(), 60);
    EXPECT_DOUBLE_EQ(row.bounds.left(), 10);
}

TEST(ReadingOrder, SameLinesWhateverOrderTheRunsComeIn)
{
    // Forty lines of four runs, drawn right cell first; two start at the same place and
    // read in the order drawn.
    constexpr int kLines = 40;
    std::string expected;
    for (int l = 0; l < kLines; ++l) expected += "a" + std::to_string(l) + "A\tb\tc\n";
    auto line = [](int l) { return l; };
    auto lastFirst = [](int l) { return (l + kLines - 1) % kLines; };
    auto reversed = [](int l) { return kLines - 1 - l; };
    auto shuffled = [](int l) { return l * 17 % kLines; };
    const std::function<int(int)> orders[] = {line, lastFirst, reversed, shuffled};
    for (size_t o = 0; o < std::size(orders); ++o) {
        SCOPED_TRACE(o);
        PageTextRuns runs;
        for (int i = 0; i < kLines; ++i) {
            const int l = orders[o](i);
            const double baseline = 10 + 5 * l;
            AddRun(runs, "c", 70, baseline);
            AddRun(runs, QString::fromStdString("a" + std::to_string(l)), 10, baseline);
            AddRun(runs, "b", 40, baseline + 0.1);
            AddRun(runs, "A", 10, baseline);
        }
        EXPECT_EQ(ReadingOrder(std::move(runs)).Text().toStdString(), expected);
    }
}

TEST(ReadingOrder, ALinesBoundsAreItsRunsBoundsUnitedAsQRectFUnitesThem)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const QRectF bounds[] = {{10, 5, 4, 3},   {0, 0, 0, 0},    {20, 6, -0.0, 0}, {30, 8, -6, 2},  {1, 9, 2, -7},
                             {nan, 5, 4, 3},  {10, 5, nan, 3}, {10, nan, 4, 3},  {-inf, 5, inf, 3}, {10, 5, 0, 2},
                             {12, 4, -inf, 1}, {11, 2, 3, nan}};
    auto sameBits = [](const QRectF& a, const QRectF& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (const QRectF& a : bounds) {
        for (const QRectF& b : bounds) {
            PageTextRuns runs;
            AddRun(runs, "a", 10, 10).bounds = a;
            AddRun(runs, "b", 20, 10).bounds = b;
            AddRun(runs, "c", 30, 10).bounds = a;
            const PageText page = ReadingOrder(std::move(runs));
            ASSERT_EQ(page.lines.size(), 1u);
            const QRectF expected = (a | b) | a;
            EXPECT_TRUE(sameBits(page.lines[0].bounds, expected))
                << a.x() << " " << a.y() << " " << a.width() << " " << a.height() << " | " << b.x() << " " << b.y()
                << " " << b.width() << " " << b.height();
        }
    }
}

TEST(ReadingOrder, RotatedRunIsALineOfItsOwnByItsTop)
{
    PageTextRuns runs;
    AddRun(runs, "rodape", 10, 80);
    PageTextRun& side = AddRun(runs, "V", 5, 60);
    side.angle = -90;
    runs.boxes[static_cast<size_t>(side.first)] = QRectF(1, 40, 4, 20);
    AddRun(runs, "topo", 10, 20);
    EXPECT_EQ(ReadingOrder(std::move(runs)).Text().toStdString(), "topo\nV\nrodape\n");
}

TEST(TextOnThePage, KeepsTheCharactersWhoseCellsCentreOnThePage)
{
    // A 100 x 50 mm page; cells 2 mm wide, 4 mm high, their centres 1 mm right of their left
    // edge and 1.2 mm above the baseline.
    struct Case {
        const char* name;
        double x, baseline;
        std::vector<std::string> kept;  // the runs left, by text
    } cases[] = {
        {"on the page", 10, 20, {"abcdef"}},
        {"below it", 10, 60, {}},
        {"above it", 10, -2, {}},
        {"leaving on the right", 94, 20, {"abc"}},
        {"coming in from the left", -5.5, 20, {"def"}},
        {"the last line, cut by the bottom edge", 10, 51, {"abcdef"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageTextRuns runs;
        AddRun(runs, "abcdef", c.x, c.baseline);
        std::vector<std::string> kept;
        const PageTextRuns page = OnThePage(std::move(runs), QSizeF(100, 50));
        for (const PageTextRun& run : page.runs) {
            kept.push_back(page.Text(run).toString().toStdString());
            EXPECT_NEAR(run.origin.x(), page.Boxes(run).front().left(), 1e-9) << "the piece starts at its first cell";
        }
        EXPECT_EQ(kept, c.kept);
    }
}

TEST(TextMatching, IgnoresCaseAndAccentsAndReportsSourceSpans)
{
    const QString text = QString::fromUtf8("Hemácias: 4,5 — HEMÁCIAS; He\u0301macias");
    const auto matches = FindAll(text, "hemacias");
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(text.mid(matches[0].start, matches[0].length), QString::fromUtf8("Hemácias"));
    EXPECT_EQ(text.mid(matches[1].start, matches[1].length), QString::fromUtf8("HEMÁCIAS"));
    // A decomposed accent belongs to its letter.
    EXPECT_EQ(text.mid(matches[2].start, matches[2].length), QString::fromUtf8("He\u0301macias"));
    EXPECT_EQ(FindAll(text, QString::fromUtf8("HEMÁC")).size(), 3u);
    EXPECT_TRUE(FindAll(text, "").empty());
    EXPECT_TRUE(FindAll(text, "xyz").empty());
    EXPECT_EQ(StripAccents(QString::fromUtf8("Ação é Ç")), "Acao e C");
}

}  // namespace
}  // namespace qrp::render
