// The window shows each report in its own shape, keeps its page label whole, holds still
// while a print job runs, and tells the user of every save or print it could not do.
#include "test_viewer_fixture.h"

#include "platform/messages.h"
#include "viewer/svg_picture.h"

#include <QFile>
#include <QFileInfo>

namespace qrp {
namespace {

using namespace testsupport;

TEST_F(ViewerTest, ALaterReportTakesItsOwnPaperAndKeepsTheZoom)
{
    const QString letter = Path(QStringLiteral("letter.QRP"));
    WriteFramedReport(letter.toStdString(), {{21590, 27940}});
    const QString landscape = Path(QStringLiteral("landscape.QRP"));
    WriteFramedReport(landscape.toStdString(), {{29700, 21000}, {21000, 29700}});
    TForm1& form = Start({letter});
    form.show();
    form.SpinEdit1->SetValue(110);
    const QSize first = form.prev->PreviewImage()->size();
    EXPECT_LT(first.width(), first.height());

    FDialogs.OpenAnswers.push_back(landscape);
    form.SpeedButton9->click();
    EXPECT_EQ(form.prev->Zoom(), 110);
    // 2970 x 1.1 x 0.37795 and 2100 x 1.1 x 0.37795, plus 4.
    EXPECT_EQ(form.prev->PreviewImage()->size(), QSize(1239, 877));
    form.SpeedButton3->click();
    EXPECT_EQ(form.prev->PreviewImage()->size(), QSize(877, 1239));
}

TEST_F(ViewerTest, ThePageLabelShowsItsWholeTextAfterEveryResize)
{
    TForm1& form = StartWith(12);
    form.show();
    form.SpeedButton4->click();
    ASSERT_EQ(form.Label1->text(), QStringLiteral("Página(s): 12 de 12"));
    for (const QSize size : {QSize(1280, 800), QSize(1045, 545), QSize(1400, 900)}) {
        form.resize(size);
        EXPECT_GE(form.Label1->width(), form.Label1->sizeHint().width()) << size.width();
        EXPECT_EQ(form.Label1->pos(), QPoint(410, 33));
    }
}

TEST_F(ViewerTest, OpenSaveAndPrintWaitForARunningJob)
{
    TForm1& form = StartWith(3);
    const QString other = Report(QStringLiteral("other.QRP"), 5);
    std::vector<bool> enabledDuringJob;
    int calls = 0;
    const auto previous = SetProcessMessagesObserver([&] {
        if (calls++ > 0) return;
        for (QToolButton* b : {form.SpeedButton9, form.SpeedButton8, form.SpeedButton6}) enabledDuringJob.push_back(b->isEnabled());
        // A dropped file and the shortcuts' clicks find nothing to do.
        form.OpenReport(other);
        form.SpeedButton6->click();
        form.SpeedButton9->click();
    });
    FDialogs.PrintAnswers.push_back({1, 0, 0, QString()});
    form.SpeedButton6->click();
    SetProcessMessagesObserver(previous);

    EXPECT_EQ(enabledDuringJob, (std::vector<bool>{false, false, false}));
    ASSERT_EQ(FSystem->Jobs().size(), 1u);
    EXPECT_TRUE(FSystem->Jobs()[0].Ended);
    EXPECT_EQ(FSystem->Jobs()[0].Pages.size(), 3u) << "the report of the job, not the one dropped";
    EXPECT_EQ(FDialogs.PrintDialogsShown.size(), 1u);
    EXPECT_EQ(SharedReportPrinter().PageCount(), 3);
    for (QToolButton* b : {form.SpeedButton9, form.SpeedButton8, form.SpeedButton6}) EXPECT_TRUE(b->isEnabled());
}

TEST_F(ViewerTest, SaveAfterAFailedOpenIsToldWithTheFileName)
{
    TForm1& form = StartWith(1);
    // A failed second Open leaves no report to save.
    const QString bad = Path(QStringLiteral("bad.QRP"));
    WriteFile(bad, std::vector<uint8_t>(64, 0));
    FDialogs.OpenAnswers.push_back(bad);
    form.SpeedButton9->click();
    const QString target = Path(QStringLiteral("copy.QRP"));
    FDialogs.SaveAnswers.push_back(target);
    form.SpeedButton8->click();
    ASSERT_EQ(FDialogs.Messages.size(), 2);  // the invalid file, then the save
    EXPECT_TRUE(FDialogs.Messages[1].startsWith(QStringLiteral("Nenhum relatório está aberto")));
    EXPECT_TRUE(FDialogs.Messages[1].contains(target));
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(ViewerTest, PrintWithoutAPrinterIsToldAndAMissingPrinterNamed)
{
    {
        TForm1& form = StartWith(2);
        FDialogs.PrintAnswers.push_back({1, 0, 0, QStringLiteral("Gone")});
        form.SpeedButton6->click();
        ASSERT_EQ(FDialogs.Messages.size(), 1);
        EXPECT_TRUE(FDialogs.Messages[0].contains(QStringLiteral("\"Gone\""))) << FDialogs.Messages[0].toStdString();
        EXPECT_TRUE(FSystem->Jobs().empty());
    }
    FStartup.Form.reset();
    DestroySharedReportPrinter();
    FScope.reset();
    FScope = std::make_unique<ScopedPrintSystem>(std::make_shared<TestPrintSystem>());  // no printer at all
    FDialogs.Messages.clear();
    FDialogs.PrintDialogsShown.clear();
    TForm1& form = StartWith(2);
    form.SpeedButton6->click();
    ASSERT_EQ(FDialogs.Messages.size(), 1);
    EXPECT_TRUE(FDialogs.Messages[0].startsWith(QStringLiteral("Nenhuma impressora está configurada")));
    EXPECT_TRUE(FDialogs.PrintDialogsShown.empty());
}

TEST_F(ViewerTest, TheLogoCarriesOnlyTheProductsName)
{
    TForm1& form = Start({});
    EXPECT_EQ(form.Image1->property("Hint").toString(), QString());
    QFile logo(QStringLiteral(":/viewer/glyphs/logo.svg"));
    ASSERT_TRUE(logo.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(logo.readAll());
    EXPECT_TRUE(svg.contains(QStringLiteral(">qrpview</text>")));
    EXPECT_EQ(svg.count(QStringLiteral("<text")), 1);
}

}  // namespace
}  // namespace qrp
