// The note about skipped records: absent on clean pages, present with the count on a page
// whose picture has records the player skips, following the page shown.
#include "test_viewer_fixture.h"

#include "viewer/page_note.h"

#include "emf/emf_writer.h"

namespace qrp {
namespace {

using namespace testsupport;

// An A4 page with count records of a type no player knows after its drawing.
std::vector<uint8_t> PictureWithUnknownRecords(int count)
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, 21000, 29700};
    options.devicePixels = {794, 1123};
    options.deviceMillimeters = {210, 297};
    emf::EmfWriter writer(options);
    writer.Rectangle({40, 40, 754, 120});
    for (int i = 0; i < count; ++i) writer.Append(126);
    return writer.Finish();
}

TEST_F(ViewerTest, PageNoteFollowsThePageShownAndStaysAwayFromCleanPages)
{
    const QString path = Path(QStringLiteral("mixed.QRP"));
    WriteReport(path.toStdString(), {BandedPagePicture(1), PictureWithUnknownRecords(3), BandedPagePicture(3)});
    TForm1& form = Start({path});
    const TPageNote& note = TPageNote::Of(form);
    EXPECT_TRUE(note.isHidden());

    form.SpeedButton3->click();
    ASSERT_EQ(form.prev->PageNumber(), 2);
    EXPECT_FALSE(note.isHidden());
    EXPECT_TRUE(note.text().contains(QStringLiteral("3 registro")));
    EXPECT_TRUE(note.toolTip().contains(QStringLiteral("record type not supported")));
    EXPECT_EQ(note.toolTip().count(QLatin1Char('\n')), 2);
    EXPECT_TRUE(form.rect().contains(note.geometry()));

    form.SpeedButton3->click();
    EXPECT_TRUE(note.isHidden());

    // A clean report opened over a damaged page clears the note.
    form.SpeedButton2->click();
    EXPECT_FALSE(note.isHidden());
    form.OpenReport(Report(QStringLiteral("clean.QRP"), 2));
    EXPECT_TRUE(note.isHidden());
}

}  // namespace
}  // namespace qrp
