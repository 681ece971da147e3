// The page text behind find and copy: matches of a page with their boxes, the selection
// by rectangle, word and page and the text it copies, and the background search of a
// report file (page order, a restart dropping the old results, unreadable pages).
#include "emf/enh_metafile.h"
#include "preview/text_search.h"
#include "preview/text_selection.h"
#include "testsupport/reports.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace qrp {
namespace {

using namespace testsupport;

// A results table: label, value and unit per row, one row per 20 pixels.
const TestTextPage kTable = {
    {60, 100, u"Laudo de exames"},
    {60, 200, u"Hemácias"}, {300, 200, u"4,12"}, {420, 200, u"milhões/mm³"},
    {60, 220, u"Hemoglobina"}, {300, 220, u"11,6"}, {420, 220, u"g/dL"},
    {60, 240, u"HEMACIAS totais"}, {300, 240, u"5,00"},
};

render::PageText TableText()
{
    const auto picture = emf::SetEnhMetaFileBits(TextPagePicture(kTable));
    return render::PictureText(*picture);
}

// The box of the line whose text starts with prefix.
QRectF LineBox(const render::PageText& page, const QString& prefix)
{
    for (const render::TextLine& line : page.lines)
        if (line.text.startsWith(prefix)) return line.bounds;
    ADD_FAILURE() << "no line " << prefix.toStdString();
    return {};
}

TEST(PageFind, MatchesIgnoreCaseAndAccentsAndCoverTheirCharacters)
{
    const render::PageText page = TableText();
    ASSERT_EQ(page.lines.size(), 4u);
    // Blanks match blanks of any kind and number: a table's tab, and the line break between
    // a line's end and the next line's start, read as a space.
    struct Case {
        const char16_t* needle;
        size_t matches;
        size_t linesOfFirst;
    } cases[] = {{u"hemacias", 2, 1},          {u"HEMÁCIAS", 2, 1},          {u"Hemácias", 2, 1},
                 {u"hemoglobina", 1, 1},       {u"mm³", 1, 1},               {u"4,12", 1, 1},
                 {u"hemacias 4,12", 1, 1},     {u"hemacias  \t 4,12", 1, 1}, {u"exames hemacias", 1, 2},
                 {u"g/dL HEMACIAS totais", 1, 2}, {u"mm³ Hemoglobina 11", 1, 2}, {u"exameshemacias", 0, 0},
                 {u"zzz", 0, 0},               {u"", 0, 0}};
    for (const Case& c : cases) {
        const QString needle = QString::fromStdU16String(c.needle);
        SCOPED_TRACE(needle.toStdString());
        const std::vector<TQRMatchBoxes> found = FindInPage(page, needle, 100);
        EXPECT_EQ(found.size(), c.matches);
        if (!found.empty()) {
            EXPECT_EQ(found.front().size(), c.linesOfFirst);
        }
    }
    // The box of a match spans its characters only: inside its line, left of the value.
    const std::vector<TQRMatchBoxes> hits = FindInPage(page, QStringLiteral("hemacias"), 100);
    ASSERT_EQ(hits.size(), 2u);
    const QRectF row = LineBox(page, QStringLiteral("Hemácias"));
    const QRectF first = MatchBounds(hits[0]);
    EXPECT_TRUE(row.contains(first.center()));
    EXPECT_LT(first.right(), row.left() + row.width() / 2);
    EXPECT_GT(first.width(), 10) << "about 17 mm of text";
    EXPECT_LT(first.top(), MatchBounds(hits[1]).top()) << "reading order";
    // Across a line break: the end of one line and the start of the next, nothing between.
    const std::vector<TQRMatchBoxes> broken = FindInPage(page, QStringLiteral("exames hemacias"), 100);
    ASSERT_EQ(broken.size(), 1u);
    ASSERT_EQ(broken[0].size(), 2u);
    const QRectF title = LineBox(page, QStringLiteral("Laudo"));
    EXPECT_GT(broken[0][0].left(), title.left() + 5) << "only \"exames\" of the title";
    EXPECT_NEAR(broken[0][0].right(), title.right(), 0.5);
    EXPECT_NEAR(broken[0][1].left(), row.left(), 0.5);
    EXPECT_NEAR(broken[0][1].right(), first.right(), 0.01);
    EXPECT_EQ(FindInPage(page, QStringLiteral("e"), 3).size(), 3u) << "the limit";
}

TEST(PageSelection, CopiesWhatTheRectangleWordOrPageHolds)
{
    const render::PageText page = TableText();
    const QRectF first = LineBox(page, QStringLiteral("Hemácias"));
    const QRectF second = LineBox(page, QStringLiteral("Hemoglobina"));
    const QRectF third = LineBox(page, QStringLiteral("HEMACIAS"));
    const double valueLeft = first.left() + (300 - 60) * 25.4 / 96 - 1;  // the value column
    const double unitLeft = first.left() + (420 - 60) * 25.4 / 96 - 1;
    struct Case {
        const char* name;
        QRectF area;
        QString text;
    } cases[] = {
        {"one row, cells by tabs", first.adjusted(-1, -0.5, 1, 0.5), QStringLiteral("Hemácias\t4,12\tmilhões/mm³")},
        {"dragged upwards", QRectF(first.bottomRight() + QPointF(1, 0.5), first.topLeft() - QPointF(1, 0.5)),
         QStringLiteral("Hemácias\t4,12\tmilhões/mm³")},
        {"a column over three rows", QRectF(QPointF(valueLeft, first.top()), QPointF(unitLeft - 2, third.bottom())),
         QStringLiteral("4,12\n11,6\n5,00\n")},
        {"two rows from the value on", QRectF(QPointF(valueLeft, first.top()), QPointF(first.right() + 1, second.bottom())),
         QStringLiteral("4,12\tmilhões/mm³\n11,6\tg/dL\n")},
        {"empty paper", QRectF(150, 250, 20, 20), QString()},
    };
    TTextSelection selection;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        selection.SelectArea(page, c.area);
        EXPECT_EQ(selection.Text(page), c.text);
        EXPECT_EQ(selection.Empty(), c.text.isEmpty());
        EXPECT_EQ(selection.Boxes(page).empty(), c.text.isEmpty());
    }

    EXPECT_TRUE(selection.SelectWord(page, QPointF(first.left() + 2, first.center().y())));
    EXPECT_EQ(selection.Text(page), QStringLiteral("Hemácias"));
    EXPECT_TRUE(selection.SelectWord(page, QPointF(third.left() + 2, third.center().y())));
    EXPECT_EQ(selection.Text(page), QStringLiteral("HEMACIAS"));
    EXPECT_FALSE(selection.SelectWord(page, QPointF(150, 280)));
    EXPECT_TRUE(selection.Empty());

    selection.SelectAll(page);
    EXPECT_EQ(selection.Text(page), page.Text()) << "the page as qrptool text prints it";
    selection.Clear();
    EXPECT_TRUE(selection.Empty());
    EXPECT_EQ(selection.Text(page), QString());
}

class TextSearchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }
    // Runs a search to its end; the pages in the order they were reported.
    std::vector<int> Run(TQRTextSearch& search, const QString& file, int pages, const QString& needle)
    {
        std::vector<int> order;
        QObject::connect(&search, &TQRTextSearch::PageSearched, &search, [&](int page) { order.push_back(page); });
        QSignalSpy finished(&search, &TQRTextSearch::Finished);
        search.Start(file, pages, needle);
        if (finished.isEmpty()) {
            EXPECT_TRUE(finished.wait(60000));
        }
        QObject::disconnect(&search, &TQRTextSearch::PageSearched, &search, nullptr);
        return order;
    }
    QTemporaryDir FDir;
};

TEST_F(TextSearchTest, SearchesEveryPageInOrderAndARestartDropsTheOldSearch)
{
    const QString file = FDir.filePath(QStringLiteral("text.QRP"));
    WriteTextReport(file.toStdString(), {kTable, {{60, 100, u"nada"}}, kTable, {{60, 100, u"hemácias"}}});
    TQRTextSearch search;
    // A search started and replaced at once: only the second one's results arrive.
    search.Start(file, 4, QStringLiteral("e"));
    const std::vector<int> order = Run(search, file, 4, QStringLiteral("hemacias"));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(search.Running());
    EXPECT_EQ(search.Total(), 5);
    EXPECT_EQ(search.CountOn(1), 2);
    EXPECT_EQ(search.CountOn(2), 0);
    EXPECT_EQ(search.CountBefore(4), 4);
    EXPECT_EQ(search.HitsOn(4).size(), 1u);
    EXPECT_TRUE(search.HitsOn(9).empty());
    EXPECT_EQ(search.FailedPages(), 0);
    // Nothing to find: finished at once, nothing searched.
    EXPECT_TRUE(Run(search, file, 4, QStringLiteral("\u0301")).empty());
    EXPECT_EQ(search.Total(), 0);
}

TEST_F(TextSearchTest, UnreadablePagesAndFilesAreCountedAndTheSearchGoesOn)
{
    const QString file = FDir.filePath(QStringLiteral("spoiled.QRP"));
    WriteTextReport(file.toStdString(), {kTable, kTable, kTable});
    SpoilPageInFile(file.toStdString(), 2);
    TQRTextSearch search;
    EXPECT_EQ(Run(search, file, 3, QStringLiteral("hemacias")).size(), 3u);
    EXPECT_EQ(search.FailedPages(), 1);
    EXPECT_EQ(search.Total(), 4);
    Run(search, FDir.filePath(QStringLiteral("missing.QRP")), 2, QStringLiteral("x"));
    EXPECT_EQ(search.FailedPages(), 2);
    EXPECT_EQ(search.Total(), 0);
}

}  // namespace
}  // namespace qrp
