// Hyperlinks in the page image: the hand and the tooltip over an area, the question before
// an http, https or mailto link opens, the refusal of every other link, hostile texts.
#include "test_viewer_fixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

namespace qrp {
namespace {

using namespace testsupport;

class HyperlinkTest : public ViewerTest {
protected:
    TForm1& Open(const std::vector<std::vector<TestLink>>& pages)
    {
        const QString path = Path(QStringLiteral("links.QRP"));
        WriteLinkedReport(path.toStdString(), pages);
        TForm1& form = Start({path});
        form.show();
        return form;
    }
    // The image point of a point of the page picture (794 x 1123 pixels).
    static QPoint At(TForm1& form, int x, int y)
    {
        const QWidget* image = form.prev->PreviewImage();
        return {x * image->width() / 794, y * image->height() / 1123};
    }
    static void Mouse(TForm1& form, QEvent::Type type, QPoint at)
    {
        QWidget* image = form.prev->PreviewImage();
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, at, image->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(image, &event);
    }
    static void Click(TForm1& form, QPoint at)
    {
        Mouse(form, QEvent::MouseMove, at);
        Mouse(form, QEvent::MouseButtonPress, at);
        Mouse(form, QEvent::MouseButtonRelease, at);
    }
};

TEST_F(HyperlinkTest, AreasShowAHandAndTheLinkAndAskBeforeOpening)
{
    TForm1& form = Open({{{100, 100, 300, 200, "https://exemplo.com.br/laudo/1"},
                          {100, 300, 300, 400, "mailto:lab@exemplo.com.br"}},
                         {}});
    TQRPreviewImage* image = form.prev->PreviewImage();
    ASSERT_TRUE(image->HyperlinksOK()) << FDialogs.Messages.join(QLatin1Char('|')).toStdString();
    Mouse(form, QEvent::MouseMove, At(form, 200, 150));
    EXPECT_EQ(image->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(image->toolTip(), QStringLiteral("https://exemplo.com.br/laudo/1"));
    EXPECT_TRUE(image->IsLink());
    // Off the areas: the arrow again, no tooltip.
    Mouse(form, QEvent::MouseMove, At(form, 500, 150));
    EXPECT_EQ(image->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(image->toolTip().isEmpty());
    EXPECT_FALSE(image->IsLink());
    // A click asks; No opens nothing, Yes hands the address to the desktop.
    Click(form, At(form, 200, 150));
    EXPECT_EQ(FDialogs.LinkQuestions, QStringList{QStringLiteral("https://exemplo.com.br/laudo/1")});
    EXPECT_TRUE(FDialogs.OpenedLinks.isEmpty());
    FDialogs.LinkAnswers.push_back(true);
    Click(form, At(form, 150, 350));
    ASSERT_EQ(FDialogs.OpenedLinks.size(), 1);
    EXPECT_EQ(FDialogs.OpenedLinks.front(), QUrl(QStringLiteral("mailto:lab@exemplo.com.br")));
    // A press on one area and a release elsewhere follows nothing.
    FDialogs.LinkAnswers.push_back(true);
    Mouse(form, QEvent::MouseButtonPress, At(form, 200, 150));
    Mouse(form, QEvent::MouseButtonRelease, At(form, 200, 350));
    EXPECT_EQ(FDialogs.LinkQuestions.size(), 2);
    // The desktop failing to open it is said.
    FDialogs.OpenLinkSucceeds = false;
    Click(form, At(form, 200, 150));
    ASSERT_EQ(FDialogs.Messages.size(), 1);
    EXPECT_TRUE(FDialogs.Messages.front().startsWith(QStringLiteral("Não foi possível abrir")));
    // The second page has no areas; the first one's do not linger.
    form.SpeedButton3->click();
    EXPECT_FALSE(image->HyperlinksOK());
    Click(form, At(form, 200, 150));
    EXPECT_EQ(FDialogs.LinkQuestions.size(), 3);
    EXPECT_EQ(image->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(HyperlinkTest, AreasFollowTheZoomAndTheScroll)
{
    TForm1& form = Open({{{600, 1000, 700, 1100, "https://exemplo.com.br/rodape"}}});
    for (int zoom : {30, 90, 190}) {
        form.SpinEdit1->SetValue(zoom);
        form.prev->ScrollToPageBottom();
        EXPECT_GE(form.prev->PreviewImage()->HyperlinkAt(At(form, 650, 1050)), 0) << zoom;
        EXPECT_EQ(form.prev->PreviewImage()->HyperlinkAt(At(form, 650, 990)), -1) << zoom;
        EXPECT_EQ(form.prev->PreviewImage()->HyperlinkAt(At(form, 590, 1050)), -1) << zoom;
    }
}

TEST_F(HyperlinkTest, OtherSchemesAndHostileTextsAreRefusedWithAMessage)
{
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
    const std::vector<std::string> hostile = {
        "file:///etc/passwd",
        "javascript:alert(document.cookie)",
        "data:text/html;base64,PHNjcmlwdD4=",
        "laudos://abrir?id=1",
        "https://exemplo.com.br/" + std::string(200000, 'a'),
        "https://exemplo.com.br/\r\nX-Injected: 1",
        "https://exemplo.com.br/" + everyByte,
        "\xE9\xE7\xE3\xF5\xFF\xFE",
        std::string(3, '\0') + "https://exemplo.com.br/",
    };
    std::vector<TestLink> links;
    for (size_t i = 0; i < hostile.size(); ++i) {
        const int top = 20 + 40 * static_cast<int>(i);
        links.push_back({20, top, 500, top + 30, hostile[i]});
    }
    // Inverted, empty and huge areas must neither crash nor hit where they are not.
    links.push_back({700, 900, 600, 800, "https://exemplo.com.br/invertida"});
    links.push_back({INT32_MIN, INT32_MIN, INT32_MIN + 1, INT32_MIN + 1, "https://exemplo.com.br/longe"});
    TForm1& form = Open({links});
    for (size_t i = 0; i < hostile.size(); ++i) {
        SCOPED_TRACE(i);
        Click(form, At(form, 100, 35 + 40 * static_cast<int>(i)));
        ASSERT_EQ(FDialogs.Messages.size(), static_cast<qsizetype>(i + 1));
        const QString message = FDialogs.Messages.back();
        EXPECT_TRUE(message.startsWith(QStringLiteral("Este link não será aberto"))) << message.left(80).toStdString();
        EXPECT_LT(message.size(), 400);
        for (QChar c : message.mid(message.indexOf(QStringLiteral("\n\n")) + 2))
            EXPECT_NE(c.category(), QChar::Other_Control) << int(c.unicode());
        const QString tip = form.prev->PreviewImage()->toolTip();
        EXPECT_LE(tip.size(), 161);
    }
    EXPECT_TRUE(FDialogs.LinkQuestions.isEmpty());
    EXPECT_TRUE(FDialogs.OpenedLinks.isEmpty());
    // The inverted area counts as the rectangle it spans.
    Click(form, At(form, 650, 850));
    EXPECT_EQ(FDialogs.LinkQuestions, QStringList{QStringLiteral("https://exemplo.com.br/invertida")});
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(HyperlinkTest, CompressedAndUnlinkedReportsHaveNoAreas)
{
    const QString plain = Report(QStringLiteral("plain.QRP"), 3);
    TForm1& form = Start({plain});
    for (int page = 1; page <= 3; ++page) {
        form.prev->SetPageNumber(page);
        EXPECT_FALSE(form.prev->PreviewImage()->HyperlinksOK()) << page;
    }
    const QString compressed = Path(QStringLiteral("compressed.QRP"));
    WriteBandedReport(compressed.toStdString(), 2, true);
    form.OpenReport(compressed);
    EXPECT_FALSE(form.prev->PreviewImage()->HyperlinksOK());
    EXPECT_TRUE(FDialogs.Messages.isEmpty());
}

}  // namespace
}  // namespace qrp
