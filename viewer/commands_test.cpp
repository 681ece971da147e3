#include "test_viewer_fixture.h"

#include "base/exceptions.h"
#include "printer/notices.h"
#include "viewer/application.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

namespace qrp {
namespace {

using namespace testsupport;

TEST_F(ViewerTest, ZoomStepsStopAt190And30)
{
    TForm1& form = StartWith(1);
    form.SpinEdit1->SetValue(180);
    form.SpeedButton5->click();
    EXPECT_EQ(form.SpinEdit1->Text(), QStringLiteral("190"));
    EXPECT_EQ(form.prev->Zoom(), 190);
    form.SpeedButton5->click();
    EXPECT_EQ(form.prev->Zoom(), 190);
    form.SpinEdit1->SetValue(40);
    form.SpeedButton7->click();
    EXPECT_EQ(form.prev->Zoom(), 30);
    form.SpeedButton7->click();
    EXPECT_EQ(form.SpinEdit1->Text(), QStringLiteral("30"));
    EXPECT_EQ(form.prev->Zoom(), 30);
    // 185 reached with the field's arrows, then zoom in: 190.
    form.SpinEdit1->SetValue(183);
    form.SpinEdit1->Edit()->setFocus();
    QTest::keyClick(form.SpinEdit1->Edit(), Qt::Key_Up);
    QTest::keyClick(form.SpinEdit1->Edit(), Qt::Key_Up);
    EXPECT_EQ(form.prev->Zoom(), 185);
    form.SpeedButton5->click();
    EXPECT_EQ(form.prev->Zoom(), 190);
}

TEST_F(ViewerTest, ZoomNeverFetchesAPage)
{
    TForm1& form = StartWith(2);
    const int fetches = form.prev->PreviewImage()->FetchCount();
    for (int i = 0; i < 5; ++i) form.SpeedButton5->click();
    for (int i = 0; i < 5; ++i) form.SpeedButton7->click();
    EXPECT_EQ(form.prev->PreviewImage()->FetchCount(), fetches);
}

TEST_F(ViewerTest, TypingIntoTheZoomFieldReachesThePreviewUnclamped)
{
    TForm1& form = StartWith(1);
    form.show();
    QLineEdit* edit = form.SpinEdit1->Edit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(form.prev->Zoom(), 30);  // an empty field reads as the minimum
    QTest::keyClicks(edit, QStringLiteral("5"));
    EXPECT_EQ(form.prev->Zoom(), 5);
    QTest::keyClicks(edit, QStringLiteral("0"));
    EXPECT_EQ(form.prev->Zoom(), 50);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(form.prev->Zoom(), 5);
    // Leaving the field with 5 in it clamps, and the preview follows.
    form.SpinEdit1->CheckOnExit();
    EXPECT_EQ(edit->text(), QStringLiteral("30"));
    EXPECT_EQ(form.prev->Zoom(), 30);
    // Emptied, then 0: the preview refuses 0 and stays at 30.
    form.SpinEdit1->SetValue(120);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("0"));
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    EXPECT_EQ(form.prev->Zoom(), 30);
    // Leaving with an empty field: the value reads 30, inside the range, so nothing changes.
    edit->clear();
    form.SpinEdit1->CheckOnExit();
    EXPECT_EQ(edit->text(), QString());
}

TEST_F(ViewerTest, NavigationStaysInsideTheReport)
{
    TForm1& form = StartWith(3);
    form.show();
    form.SpeedButton2->click();
    EXPECT_EQ(form.prev->PageNumber(), 1);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 3"));
    form.SpeedButton3->click();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 2 de 3"));
    form.SpeedButton4->click();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 3 de 3"));
    const int fetches = form.prev->PreviewImage()->FetchCount();
    form.SpeedButton3->click();
    EXPECT_EQ(form.prev->PageNumber(), 3);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 3 de 3"));
    EXPECT_EQ(form.prev->PreviewImage()->FetchCount(), fetches);
    form.SpeedButton1->click();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 3"));
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(ViewerTest, LastPageWithoutAPrinterIsSwallowed)
{
    TForm1& form = Start({});
    form.SpeedButton4Click(form.SpeedButton4);
    form.SpeedButton3Click(form.SpeedButton3);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s) "));
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
    // After a failed first load the preview is marked but bound to nothing.
    form.prev->SetTag(1);
    form.SpeedButton4Click(form.SpeedButton4);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s) "));
}

TEST_F(ViewerTest, SaveAppendsTheExtensionOnlyWhenNoneIsInTheName)
{
    const QString source = Report(QStringLiteral("source.QRP"), 3);
    TForm1& form = Start({source});
    const std::vector<uint8_t> original = ReadFile(source);
    const struct {
        QString chosen, written;
    } cases[] = {{QStringLiteral("relatorio"), QStringLiteral("relatorio.QRP")},
                 {QStringLiteral("Relatorio.qrp"), QStringLiteral("Relatorio.qrp")},
                 {QStringLiteral("X.QRP.bak"), QStringLiteral("X.QRP.bak")}};
    for (const auto& c : cases) {
        FDialogs.SaveAnswers.push_back(Path(c.chosen));
        form.SpeedButton8->click();
        EXPECT_TRUE(QFileInfo::exists(Path(c.written))) << c.written.toStdString();
        EXPECT_EQ(ReadFile(Path(c.written)), original) << c.written.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Relatorio.qrp.QRP"))));
    EXPECT_EQ(FDialogs.OverwriteQuestions, 0);
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(ViewerTest, RefusedOverwriteLeavesTheFileUntouched)
{
    TForm1& form = StartWith(2);
    const QString target = Path(QStringLiteral("kept.QRP"));
    WriteFile(target, {'k', 'e', 'e', 'p'});
    FDialogs.SaveAnswers.push_back(target);
    FDialogs.OverwriteAnswers.push_back(false);
    form.SpeedButton8->click();
    EXPECT_EQ(FDialogs.OverwriteQuestions, 1);
    EXPECT_EQ(ReadFile(target), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    // Yes replaces it.
    FDialogs.SaveAnswers.push_back(target);
    FDialogs.OverwriteAnswers.push_back(true);
    form.SpeedButton8->click();
    EXPECT_EQ(ReadFile(target), ReadFile(Path(QStringLiteral("report.QRP"))));
    // Cancelling the dialog asks nothing.
    form.SpeedButton8->click();
    EXPECT_EQ(FDialogs.OverwriteQuestions, 2);
}

TEST_F(ViewerTest, SaveFailureIsToldWithTheFileName)
{
    TForm1& form = StartWith(1);
    const QString unwritable = Path(QStringLiteral("no/such/folder/r.QRP"));
    FDialogs.SaveAnswers.push_back(unwritable);
    form.SpeedButton8->click();
    ASSERT_EQ(FDialogs.Messages.size(), 1);
    EXPECT_TRUE(FDialogs.Messages.front().startsWith(QStringLiteral("Não foi possível salvar o arquivo")));
    EXPECT_TRUE(FDialogs.Messages.front().contains(unwritable)) << FDialogs.Messages.front().toStdString();
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(ViewerTest, ThreeCopiesRunThreeJobsAndTheDialogOffersOneCopyNextTime)
{
    TForm1& form = StartWith(3);
    FDialogs.PrintAnswers.push_back({3, 2, 3, QStringLiteral("Lab")});
    form.SpeedButton6->click();
    ASSERT_TRUE(FDialogs.Errors.isEmpty()) << FDialogs.Errors.front().toStdString();
    ASSERT_EQ(FDialogs.PrintDialogsShown.size(), 1u);
    const TPrintDialogState& shown = FDialogs.PrintDialogsShown.front();
    EXPECT_EQ(shown.MinPage, 1);
    EXPECT_EQ(shown.MaxPage, 3);
    EXPECT_EQ(shown.FromPage, 1);
    EXPECT_EQ(shown.ToPage, 3);
    EXPECT_EQ(shown.Copies, 1);
    ASSERT_EQ(FSystem->Jobs().size(), 3u);
    for (const RecordedJob& job : FSystem->Jobs()) {
        EXPECT_EQ(job.Printer, QStringLiteral("Lab"));
        EXPECT_EQ(job.Pages.size(), 2u);
        EXPECT_TRUE(job.Ended);
    }
    EXPECT_EQ(SharedReportPrinter().FirstPage(), 2);
    EXPECT_EQ(SharedReportPrinter().LastPage(), 3);
    form.SpeedButton6->click();  // cancelled
    ASSERT_EQ(FDialogs.PrintDialogsShown.size(), 2u);
    EXPECT_EQ(FDialogs.PrintDialogsShown.back().Copies, 1);
    EXPECT_EQ(FSystem->Jobs().size(), 3u);
}

TEST_F(ViewerTest, PrintFailureShowsItsOwnMessageAndStopsTheCopies)
{
    TForm1& form = StartWith(2);
    FSystem->Find(QStringLiteral("Lab"))->FailDeviceContext = true;
    FDialogs.PrintAnswers.push_back({2, 0, 0, QStringLiteral("Lab")});
    form.SpeedButton6->click();
    ASSERT_EQ(FDialogs.Errors.size(), 1);
    EXPECT_FALSE(FDialogs.Errors.front().isEmpty());
    EXPECT_TRUE(FDialogs.Messages.isEmpty());
    EXPECT_TRUE(FSystem->Jobs().empty());
    // The window goes on: the next page still turns.
    form.SpeedButton3->click();
    EXPECT_EQ(form.prev->PageNumber(), 2);
}

TEST_F(ViewerTest, FailureInsideAnEventReachesTheGeneralErrorHandler)
{
    TForm1& form = StartWith(2);
    auto* app = qobject_cast<TApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    app->SetOnException([&form](const std::exception_ptr& failure) { form.HandleException(failure); });
    form.prev->SetOnPageAvailable([](QObject*, int) { throw EReadError(); });
    PostPageAvailableNotice(form.prev, 2);
    QCoreApplication::sendPostedEvents(form.prev);
    app->SetOnException(nullptr);
    EXPECT_EQ(FDialogs.Errors, QStringList{QStringLiteral("Stream read error")});
    form.SpeedButton3->click();
    EXPECT_EQ(form.prev->PageNumber(), 2);
}

TEST_F(ViewerTest, UndecodablePageShowsTheFailureAndLeavesTheViewerUsable)
{
    const QString path = Report(QStringLiteral("spoilt.QRP"), 3);
    SpoilPageInFile(path.toStdString(), 2);
    TForm1& form = Start({path});
    form.show();
    ASSERT_TRUE(FDialogs.Messages.isEmpty());
    form.SpeedButton3->click();
    ASSERT_EQ(FDialogs.Errors.size(), 1);
    EXPECT_FALSE(form.prev->PreviewImage()->ImageOK());
    EXPECT_EQ(form.prev->PageNumber(), 1);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 3"));
    form.grab();  // painting an empty image raises nothing
    // The page list walks on from where the failed read stopped, so page 1 comes first.
    form.SpeedButton1->click();
    EXPECT_TRUE(form.prev->PreviewImage()->ImageOK());
    form.SpeedButton4->click();
    EXPECT_EQ(form.prev->PageNumber(), 3);
    EXPECT_TRUE(form.prev->PreviewImage()->ImageOK());
    EXPECT_EQ(FDialogs.Errors.size(), 1);
}

TEST_F(ViewerTest, CutReportsShowOnlyTheInvalidFileMessage)
{
    const QString source = Report(QStringLiteral("whole.QRP"), 3);
    const std::vector<uint8_t> whole = ReadFile(source);
    TForm1& form = Start({source});
    const QString cut = Path(QStringLiteral("cut.QRP"));
    int failures = 0;
    for (size_t length = 0; length < whole.size(); length += 7) {
        WriteFile(cut, std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
        form.OpenReport(cut);
        failures = FDialogs.Messages.size();
        ASSERT_EQ(failures, FDialogs.Messages.count(QStringLiteral("Arquivo inválido.")));
    }
    EXPECT_GT(failures, 0);
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
    // Still usable: the whole report opens again and pages.
    form.OpenReport(source);
    form.SpeedButton4->click();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 3 de 3"));
}

TEST_F(ViewerTest, ReportRemovedWhileOpenDoesNotCrashOnThePageTurn)
{
    TForm1& form = StartWith(3);
    ASSERT_TRUE(QFile::remove(Path(QStringLiteral("report.QRP"))));
    form.SpeedButton3->click();
    form.SpeedButton4->click();
    form.grab();
    EXPECT_EQ(form.prev->PageNumber(), 3);
}

TEST_F(ViewerTest, DroppedReportOpensAsOpenDoes)
{
    TForm1& form = Start({});
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Report(QStringLiteral("dropped.QRP"), 2))});
    QDragEnterEvent enter(QPoint(500, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(500, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 2"));
    EXPECT_TRUE(form.SpeedButton6->isEnabled());
}

TEST_F(ViewerTest, ControlWheelStepsTheZoomField)
{
    TForm1& form = StartWith(1);
    QWheelEvent up(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.prev->viewport(), &up);
    EXPECT_EQ(form.SpinEdit1->Value(), 110);
    EXPECT_EQ(form.prev->Zoom(), 110);
    QWheelEvent down(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, -240), Qt::NoButton, Qt::ControlModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.prev->viewport(), &down);
    EXPECT_EQ(form.prev->Zoom(), 70);
}

TEST_F(ViewerTest, ControlPlusAndMinusStepTheZoomByTwenty)
{
    TForm1& form = StartWith(1);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.prev->setFocus();
    QTest::keyClick(form.prev, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(form.prev->Zoom(), 110);
    QTest::keyClick(form.prev, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(form.prev, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(form.prev->Zoom(), 70);
}

}  // namespace
}  // namespace qrp
