#include "test_viewer_fixture.h"

#include <QDir>
#include <QPushButton>

namespace qrp {
namespace {

using namespace testsupport;

void ExpectEmptyWindow(TForm1& form)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tavik Viwer Report"));
    EXPECT_TRUE(form.SpeedButton9->isEnabled());
    EXPECT_TRUE(form.BitBtn1->isEnabled());
    for (QWidget* w : {static_cast<QWidget*>(form.SpeedButton1), static_cast<QWidget*>(form.SpeedButton2),
                       static_cast<QWidget*>(form.SpeedButton3), static_cast<QWidget*>(form.SpeedButton4),
                       static_cast<QWidget*>(form.SpeedButton5), static_cast<QWidget*>(form.SpeedButton6),
                       static_cast<QWidget*>(form.SpeedButton7), static_cast<QWidget*>(form.SpeedButton8),
                       static_cast<QWidget*>(form.SpinEdit1)})
        EXPECT_FALSE(w->isEnabled()) << w->toolTip().toStdString();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s) "));
    EXPECT_EQ(form.prev->QRPrinter(), nullptr);
    EXPECT_FALSE(form.prev->PreviewImage()->ImageOK());
}

TEST_F(ViewerTest, NoArgumentStartsEmpty)
{
    TForm1& form = Start({});
    ExpectEmptyWindow(form);
    EXPECT_EQ(form.prev->Tag(), 0);
    EXPECT_FALSE(FStartup.Terminate);
    EXPECT_TRUE(FDialogs.Messages.isEmpty());
    form.show();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s) "));
}

TEST_F(ViewerTest, MissingFileOrFolderIsIgnoredSilently)
{
    for (const QString& argument : {Path(QStringLiteral("absent.QRP")), FDir.path()}) {
        TForm1& form = Start({argument});
        ExpectEmptyWindow(form);
        EXPECT_EQ(form.prev->Tag(), 0);
        EXPECT_FALSE(FStartup.Terminate);
    }
    EXPECT_TRUE(FDialogs.Messages.isEmpty());
}

TEST_F(ViewerTest, InvalidFileShowsOneMessageAndEnds)
{
    const QString path = Path(QStringLiteral("notes.txt"));
    WriteFile(path, std::vector<uint8_t>(300, 'x'));
    ::testing::internal::CaptureStderr();
    TForm1& form = Start({path});
    // The message names no reason; standard error keeps it.
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("qrp: opening " + path.toStdString() + ": "), std::string::npos) << err;
    EXPECT_NE(err.find(" (ignored)\n"), std::string::npos) << err;
    EXPECT_EQ(FDialogs.Messages, QStringList{QStringLiteral("Arquivo inválido.")});
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
    EXPECT_TRUE(FStartup.Terminate);
    // Marked as an attempt, controls still disabled, zoom field from the preview.
    EXPECT_EQ(form.prev->Tag(), 1);
    EXPECT_FALSE(form.SpeedButton6->isEnabled());
    EXPECT_EQ(form.SpinEdit1->Value(), 90);
    // The show handler finds nothing bound and leaves the label alone.
    form.show();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s) "));
}

TEST_F(ViewerTest, ValidReportOpensOnPage1AtZoom90)
{
    TForm1& form = StartWith(3);
    EXPECT_FALSE(FStartup.Terminate);
    EXPECT_TRUE(FDialogs.Messages.isEmpty());
    form.show();
    EXPECT_EQ(form.prev->PageNumber(), 1);
    EXPECT_EQ(form.prev->Zoom(), 90);
    EXPECT_TRUE(form.prev->PreviewImage()->ImageOK());
    EXPECT_EQ(form.SpinEdit1->Text(), QStringLiteral("90"));
    EXPECT_TRUE(form.SpinEdit1->isEnabled());
    EXPECT_TRUE(form.SpeedButton8->isEnabled());
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 3"));
}

TEST_F(ViewerTest, OnlyTheFirstOfTwoArgumentsIsUsed)
{
    const QString first = Report(QStringLiteral("two.QRP"), 2);
    TForm1& form = Start({first, Path(QStringLiteral("absent.QRP"))});
    form.show();
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 2"));
    EXPECT_TRUE(FDialogs.Messages.isEmpty());
}

TEST_F(ViewerTest, SecondLoadKeepsZoomAndEnabledState)
{
    TForm1& form = StartWith(3);
    form.SpinEdit1->SetValue(130);
    ASSERT_EQ(form.prev->Zoom(), 130);
    FDialogs.OpenAnswers.push_back(Report(QStringLiteral("five.QRP"), 5));
    form.SpeedButton9Click(form.SpeedButton9);
    EXPECT_EQ(form.SpinEdit1->Value(), 130);
    EXPECT_EQ(form.prev->Zoom(), 130);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 5"));
    // A failing later load: only the message; controls stay, the label keeps its text.
    const QString bad = Path(QStringLiteral("bad.QRP"));
    WriteFile(bad, std::vector<uint8_t>(64, 0));
    FDialogs.OpenAnswers.push_back(bad);
    form.SpeedButton9Click(form.SpeedButton9);
    EXPECT_EQ(FDialogs.Messages, QStringList{QStringLiteral("Arquivo inválido.")});
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
    EXPECT_TRUE(form.SpeedButton6->isEnabled());
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 5"));
    // The report printer lost its report; the preview stays bound and shows nothing new.
    form.SpeedButton3Click(form.SpeedButton3);
    EXPECT_FALSE(form.prev->PreviewImage()->ImageOK());
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(ViewerTest, CancelledOpenRefreshesTheLabel)
{
    TForm1& form = StartWith(3);
    form.Label1->setText(QStringLiteral("stale"));
    form.SpeedButton9Click(form.SpeedButton9);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 1 de 3"));
}

TEST_F(ViewerTest, WindowLayoutFollowsItsAnchors)
{
    TForm1& form = Start({});
    form.resize(TForm1::kDesignedClient);
    EXPECT_EQ(form.prev->geometry(), QRect(0, 54, 1045, 493));
    EXPECT_EQ(form.BitBtn1->geometry(), QRect(1001, 5, 38, 38));
    EXPECT_EQ(form.SpinEdit1->geometry(), QRect(352, 5, 51, 26));
    form.show();
    form.resize(1245, 645);
    EXPECT_EQ(form.prev->geometry(), QRect(0, 54, 1245, 593));
    EXPECT_EQ(form.BitBtn1->geometry(), QRect(1201, 5, 38, 38));
    EXPECT_EQ(form.Label2->geometry(), QRect(758, 7, 440, 36));
    EXPECT_EQ(form.Bevel1->geometry(), QRect(1, 1, 1245, 53));
    EXPECT_EQ(form.SpeedButton3->geometry(), QRect(466, 5, 28, 27));
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(71, 133, 207));
}

}  // namespace
}  // namespace qrp
