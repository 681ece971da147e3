// The thumbnail pane: hidden at start (the window as it was), F4 and the action show it
// beside the page view, thumbnails drawn in the background, a click shows that page.
#include "test_viewer_fixture.h"

#include "preview/thumbnails.h"

#include <QAction>
#include <QFile>
#include <QTest>

namespace qrp {
namespace {

using namespace testsupport;

using ThumbnailTest = ViewerTest;

TEST_F(ThumbnailTest, F4ShowsThePaneBesideThePageViewAndHidesItAgain)
{
    TForm1& form = Shown(4);
    const QRect view = form.prev->geometry();
    EXPECT_FALSE(form.Thumbnails->isVisible());
    EXPECT_EQ(form.Thumbnails->count(), 0);  // a hidden pane makes no entries
    const int fetches = form.prev->PreviewImage()->FetchCount();
    QTest::keyClick(&form, Qt::Key_F4);
    ASSERT_TRUE(form.Thumbnails->isVisible());
    EXPECT_TRUE(form.ThumbnailsAction->isChecked());
    EXPECT_EQ(form.Thumbnails->geometry(), QRect(view.left(), view.top(), TQRThumbnails::kPaneWidth, view.height()));
    EXPECT_EQ(form.prev->geometry(), view.adjusted(TQRThumbnails::kPaneWidth, 0, 0, 0));
    EXPECT_EQ(form.Thumbnails->count(), 4);
    EXPECT_EQ(form.Thumbnails->currentRow(), 0);
    // Drawn away from the page view: the page shown is not fetched again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.Thumbnails->IsDrawn(1) && form.Thumbnails->IsDrawn(2); }, 10000));
    EXPECT_EQ(form.prev->PreviewImage()->FetchCount(), fetches);
    // The pane follows the window's size.
    form.resize(900, 500);
    EXPECT_EQ(form.Thumbnails->height(), form.prev->height());
    EXPECT_EQ(form.Thumbnails->geometry().right() + 1, form.prev->x());
    QTest::keyClick(&form, Qt::Key_F4);
    EXPECT_FALSE(form.Thumbnails->isVisible());
    EXPECT_EQ(form.prev->x(), view.left());
    EXPECT_EQ(form.prev->width(), form.width());
}

TEST_F(ThumbnailTest, ClickingAThumbnailShowsItsPageAndPagingMarksIt)
{
    TForm1& form = Shown(3);
    form.SetThumbnailsVisible(true);
    QListWidgetItem* third = form.Thumbnails->item(2);
    ASSERT_NE(third, nullptr);
    const QRect place = form.Thumbnails->visualItemRect(third);
    QTest::mouseClick(form.Thumbnails->viewport(), Qt::LeftButton, {}, place.center());
    EXPECT_EQ(form.prev->PageNumber(), 3);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 3 de 3"));
    form.SpeedButton1->click();
    EXPECT_EQ(form.Thumbnails->currentRow(), 0);
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(ThumbnailTest, AnotherReportReplacesTheThumbnails)
{
    TForm1& form = Shown(2);
    form.SetThumbnailsVisible(true);
    form.OpenReport(Report(QStringLiteral("other.QRP"), 5));
    EXPECT_EQ(form.Thumbnails->count(), 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.Thumbnails->IsDrawn(1); }, 10000));
    // A file that went away draws no thumbnails and raises nothing.
    const QString gone = Report(QStringLiteral("gone.QRP"), 3);
    form.OpenReport(gone);
    QFile::remove(gone);
    form.Thumbnails->scrollToBottom();
    QTest::qWait(200);
    EXPECT_EQ(form.Thumbnails->count(), 3);
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
    EXPECT_TRUE(FDialogs.Messages.isEmpty());
}

}  // namespace
}  // namespace qrp
