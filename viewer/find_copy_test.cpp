// Find and copy in the window, with scripted keys and mouse: the find bar's place and keys,
// matches with accents and case, next and previous across pages with the wrap notes, the
// highlights of a page, a long report searched while the window keeps handling events;
// selection by drag, Ctrl+A and double click onto the clipboard, the middle-button scroll,
// links beside the selection, and the copied sample page against pdftotext of its PDF.
#include "test_viewer_fixture.h"

#include "preview/text_layer.h"
#include "preview/text_search.h"
#include "preview/thumbnails.h"
#include "reportfile/metafile.h"
#include "viewer/find_bar.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <optional>

namespace qrp {
namespace {

using namespace testsupport;

// Three pages: "hemácias" once on page 1, never on page 2, twice on page 3.
const std::vector<TestTextPage> kPages = {
    {{60, 100, u"Laudo de exames"}, {60, 200, u"Hemácias"}, {300, 200, u"4,12"}, {60, 230, u"Hemoglobina"}, {300, 230, u"11,6"}},
    {{60, 100, u"Glicose em jejum"}, {300, 100, u"92"}},
    {{60, 100, u"HEMACIAS em urina"}, {60, 900, u"hemácias dismórficas"}},
};

class FindCopyTest : public ViewerTest {
protected:
    TForm1& Shown(const std::vector<TestTextPage>& pages)
    {
        const QString path = Path(QStringLiteral("text.QRP"));
        WriteTextReport(path.toStdString(), pages);
        return Activated(Start({path}));
    }
    static bool Searching(TForm1& form) { return form.FindBar->Search().Running(); }
    // Key by key, accented letters included.
    static void Type(QWidget* target, const QString& text)
    {
        for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    // Types a text into the find bar (Ctrl+F first) and waits for the search's end.
    static void Find(TForm1& form, const QString& text)
    {
        QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(form.FindBar->isVisible());
        ASSERT_TRUE(form.FindBar->Edit()->hasFocus());
        Type(form.FindBar->Edit(), text);
        QTRY_VERIFY_WITH_TIMEOUT(!Searching(form), 60000);
    }
    static QString Count(TForm1& form) { return form.FindBar->CountLabel()->text(); }
    static QString Note(TForm1& form) { return form.FindBar->NoteLabel()->text(); }
    static int Highlights(TForm1& form)
    {
        form.TextLayer->repaint();
        return form.TextLayer->PaintedHighlights();
    }
    // The image point of a point of the page picture (794 x 1123 pixels).
    static QPoint At(TForm1& form, double x, double y)
    {
        const QWidget* image = form.prev->PreviewImage();
        return {static_cast<int>(x * (image->width() - 1) / 794), static_cast<int>(y * (image->height() - 1) / 1123)};
    }
    static void Mouse(TForm1& form, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
                      std::optional<QPoint> imageOnScreen = std::nullopt)
    {
        QWidget* image = form.prev->PreviewImage();
        const QPoint screen = imageOnScreen ? *imageOnScreen + at : image->mapToGlobal(at);
        QMouseEvent event(type, at, screen, button, held, Qt::NoModifier);
        QApplication::sendEvent(image, &event);
    }
    // The screen positions stay those of the press: the page may scroll under the mouse.
    static void Drag(TForm1& form, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint screen = form.prev->PreviewImage()->mapToGlobal(QPoint(0, 0));
        Mouse(form, QEvent::MouseButtonPress, from, button, button, screen);
        Mouse(form, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button, screen);
        Mouse(form, QEvent::MouseMove, to, Qt::NoButton, button, screen);
        Mouse(form, QEvent::MouseButtonRelease, to, button, Qt::NoButton, screen);
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
    static QString PageText(TForm1& form)
    {
        return render::PictureText(*form.prev->PreviewImage()->Metafile()->Handle()).Text();
    }
};

TEST_F(FindCopyTest, CtrlFOpensTheBarUnderTheToolBarAndEscapeHidesIt)
{
    TForm1& form = Shown(kPages);
    const QRect view = form.prev->geometry();
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(form.FindBar->isVisible());
    EXPECT_EQ(form.FindBar->geometry(), QRect(view.left(), view.top(), view.width(), TFindBar::kHeight));
    EXPECT_EQ(form.prev->geometry(), view.adjusted(0, TFindBar::kHeight, 0, 0));
    // The thumbnail pane takes the left of what is left.
    QTest::keyClick(&form, Qt::Key_F4);
    EXPECT_EQ(form.Thumbnails->geometry().top(), view.top() + TFindBar::kHeight);
    QTest::keyClick(&form, Qt::Key_F4);
    QTest::keyClick(form.FindBar->Edit(), Qt::Key_Escape);
    EXPECT_FALSE(form.FindBar->isVisible());
    EXPECT_EQ(form.prev->geometry(), view);
    // Escape from the page view hides it as well.
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    form.prev->setFocus();
    QTest::keyClick(form.prev, Qt::Key_Escape);
    EXPECT_FALSE(form.FindBar->isVisible());
}

TEST_F(FindCopyTest, FindsIgnoringCaseAndAccentsAndCounts)
{
    struct Case {
        const char16_t* text;
        const char* count;
        int page;  // where the first match is shown
        const char* note;
    } cases[] = {
        {u"hemacias", "1 de 3", 1, ""},         {u"HEMÁCIAS", "1 de 3", 1, ""}, {u"Hemácias", "1 de 3", 1, ""},
        {u"jejum", "1 de 1", 2, ""},            {u"dismorficas", "1 de 1", 3, ""},
        {u"zzz", "0 de 0", 1, "Nenhuma ocorrência"},
    };
    TForm1& form = Shown(kPages);
    for (const Case& c : cases) {
        const QString text = QString::fromStdU16String(c.text);
        SCOPED_TRACE(text.toStdString());
        form.SpeedButton1->click();
        form.FindBar->Edit()->clear();
        Find(form, text);
        EXPECT_EQ(Count(form), QString::fromUtf8(c.count));
        EXPECT_EQ(form.prev->PageNumber(), c.page);
        EXPECT_EQ(Note(form), QString::fromUtf8(c.note));
        EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): %1 de 3").arg(c.page)) << "the page label follows";
    }
}

TEST_F(FindCopyTest, AMatchRunsOnAcrossALineBreakAsAcrossASpace)
{
    TForm1& form = Shown({{{60, 100, u"Leucograma e Contagem"}, {60, 125, u"de plaquetas"}, {60, 200, u"Contagem de"}},
                          {{60, 100, u"Contagem"}, {300, 100, u"248.000"}}});
    struct Case {
        const char16_t* text;
        const char* count;
        std::vector<size_t> linesPerMatch;  // on page 1
    } cases[] = {
        {u"contagem de", "1 de 2", {2, 1}},
        {u"CONTAGEM   DE PLAQUETAS", "1 de 1", {2}},
        {u"contagem 248", "1 de 1", {}},  // a table's cells, on page 2
        {u"contagemde", "0 de 0", {}},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromStdU16String(c.text);
        SCOPED_TRACE(text.toStdString());
        form.SpeedButton1->click();
        form.FindBar->Edit()->clear();
        Find(form, text);
        EXPECT_EQ(Count(form), QString::fromUtf8(c.count));
        const std::vector<TQRMatchBoxes>& hits = form.FindBar->Search().HitsOn(1);
        std::vector<size_t> lines;
        for (const TQRMatchBoxes& match : hits) lines.push_back(match.size());
        EXPECT_EQ(lines, c.linesPerMatch);
        if (!hits.empty()) {
            EXPECT_EQ(Highlights(form), static_cast<int>(hits.size()));
        }
    }
}

TEST_F(FindCopyTest, TheCursorIsAnIBeamOverTextAndAnArrowElsewhere)
{
    TForm1& form = Shown(kPages);
    const QWidget* image = form.prev->PreviewImage();
    struct Case {
        double x, y;
        Qt::CursorShape shape;
    } cases[] = {{70, 196, Qt::IBeamCursor}, {600, 600, Qt::ArrowCursor}, {310, 226, Qt::IBeamCursor},
                 {200, 196, Qt::ArrowCursor}};  // right of "Hemácias", before the value
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        Mouse(form, QEvent::MouseMove, At(form, c.x, c.y), Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(image->cursor().shape(), c.shape);
    }
}

TEST_F(FindCopyTest, ASelectingDragBelowTheViewScrollsItAndSelectsOn)
{
    TForm1& form = Shown(kPages);
    form.SpeedButton4->click();  // page 3: lines at the top and far below
    QScrollBar* bar = form.prev->verticalScrollBar();
    ASSERT_EQ(bar->value(), 0);
    QWidget* image = form.prev->PreviewImage();
    const QPoint screen = image->mapToGlobal(QPoint(0, 0));
    const QPoint press = At(form, 50, 85);
    const QWidget* view = form.prev->viewport();
    const QPoint below = image->mapFromGlobal(view->mapToGlobal(QPoint(view->width() / 2, view->height() + 40)));
    Mouse(form, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton, screen);
    Mouse(form, QEvent::MouseMove, below, Qt::NoButton, Qt::LeftButton, screen);
    EXPECT_EQ(form.TextLayer->SelectedText(), QStringLiteral("HEMACIAS em urina"));
    // The mouse rests below the view: the page scrolls until the far line is selected too.
    QTRY_VERIFY_WITH_TIMEOUT(form.TextLayer->SelectedText().contains(QStringLiteral("dismórficas")), 20000);
    EXPECT_GT(bar->value(), 0);
    Mouse(form, QEvent::MouseButtonRelease, below, Qt::LeftButton, Qt::NoButton, screen);
    const int stopped = bar->value();
    QTest::qWait(150);
    EXPECT_EQ(bar->value(), stopped) << "the release stops the scrolling";
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("HEMACIAS em urina\nhemácias dismórficas\n"));
}

TEST_F(FindCopyTest, NextAndPreviousGoAcrossPagesAndWrapWithANote)
{
    TForm1& form = Shown(kPages);
    Find(form, QStringLiteral("hemacias"));
    QLineEdit* edit = form.FindBar->Edit();
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* count;
        int page;
        int highlights;  // on the page shown
        bool wrapNote;
    } steps[] = {
        {Qt::Key_Return, Qt::NoModifier, "2 de 3", 3, 2, false},
        {Qt::Key_F3, Qt::NoModifier, "3 de 3", 3, 2, false},
        {Qt::Key_F3, Qt::NoModifier, "1 de 3", 1, 1, true},
        {Qt::Key_F3, Qt::ShiftModifier, "3 de 3", 3, 2, true},
        {Qt::Key_Return, Qt::ShiftModifier, "2 de 3", 3, 2, false},
        {Qt::Key_Enter, Qt::ShiftModifier, "1 de 3", 1, 1, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.count);
        QTest::keyClick(edit, s.key, s.mods);
        EXPECT_EQ(Count(form), QString::fromUtf8(s.count));
        EXPECT_EQ(form.prev->PageNumber(), s.page);
        EXPECT_EQ(Highlights(form), s.highlights);
        EXPECT_EQ(Note(form).contains(QStringLiteral("continua")), s.wrapNote) << Note(form).toStdString();
    }
    // The current match of page 3's second line is brought into sight.
    QTest::keyClick(edit, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Count(form), QStringLiteral("3 de 3"));
    EXPECT_GT(form.prev->verticalScrollBar()->value(), 0);
    // A hidden bar shows no highlights; F3 opens it and goes on.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(Highlights(form), 0);
    QTest::keyClick(&form, Qt::Key_F3);
    EXPECT_TRUE(form.FindBar->isVisible());
    EXPECT_EQ(Count(form), QStringLiteral("1 de 3"));
    EXPECT_EQ(Highlights(form), 1);
}

TEST_F(FindCopyTest, ALongReportIsSearchedWhileTheWindowHandlesEvents)
{
    std::vector<TestTextPage> pages(300);
    for (size_t p = 0; p < pages.size(); ++p) {
        for (int line = 0; line < 40; ++line) {
            const std::u16string text = (u"Linha " + QString::number(line).toStdU16String() + u" da página " +
                                         QString::number(static_cast<int>(p) + 1).toStdU16String() + u": hemácias");
            pages[p].push_back({60, 80 + 25 * line, text});
        }
    }
    TForm1& form = Shown(pages);
    form.SpeedButton4->click();  // from the last page: the first match is past the end
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(form.FindBar->Edit(), QStringLiteral("HEMACIAS"));
    ASSERT_TRUE(Searching(form));
    EXPECT_LT(form.FindBar->Search().SearchedPages(), 300) << "typing returns before the report is searched";
    // The window's events go on while the worker reads: a timer ticks, progress shows.
    int ticksWhileSearching = 0;
    QStringList progress;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!Searching(form)) return;
        ++ticksWhileSearching;
        if (progress.isEmpty() || progress.back() != Note(form)) progress << Note(form);
    });
    timer.start(0);
    QTRY_VERIFY_WITH_TIMEOUT(!Searching(form), 120000);
    EXPECT_GE(ticksWhileSearching, 1);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_TRUE(progress.front().startsWith(QStringLiteral("Procurando… página "))) << progress.front().toStdString();
    EXPECT_EQ(form.FindBar->Search().SearchedPages(), 300);
    EXPECT_EQ(Count(form), QStringLiteral("11961 de 12000")) << "the first match of the last page";
    EXPECT_EQ(form.prev->PageNumber(), 300);
    EXPECT_EQ(Highlights(form), 40);

    // A new text stops the search running and starts over; so does another report.
    QTest::keyClick(form.FindBar->Edit(), Qt::Key_Backspace);
    ASSERT_TRUE(Searching(form));
    form.OpenReport(Report(QStringLiteral("short.QRP"), 2));
    EXPECT_EQ(form.FindBar->Search().PageCount(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!Searching(form), 60000);
    EXPECT_EQ(Count(form), QStringLiteral("0 de 0"));
    // The window closes under a running search.
    form.OpenReport(Path(QStringLiteral("text.QRP")));
    ASSERT_TRUE(Searching(form));
    FStartup.Form.reset();
}

TEST_F(FindCopyTest, DragCtrlAAndDoubleClickSelectAndCtrlCCopies)
{
    TForm1& form = Shown(kPages);
    QGuiApplication::clipboard()->clear();
    form.prev->setFocus();
    // Around the first result row, from above its left to below its right end.
    Drag(form, At(form, 50, 185), At(form, 360, 207));
    EXPECT_EQ(form.TextLayer->SelectedText(), QStringLiteral("Hemácias\t4,12"));
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("Hemácias\t4,12"));
    // The values of both rows.
    Drag(form, At(form, 290, 185), At(form, 400, 237));
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("4,12\n11,6\n"));
    // A plain click drops the selection; Ctrl+C then leaves the clipboard alone.
    Drag(form, At(form, 600, 600), At(form, 600, 600));
    EXPECT_TRUE(form.TextLayer->Selection().Empty());
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("4,12\n11,6\n"));

    QTest::keyClick(&form, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), PageText(form));
    EXPECT_EQ(Clipboard(), QStringLiteral("Laudo de exames\nHemácias\t4,12\nHemoglobina\t11,6\n"));

    const QPoint word = At(form, 100, 226);
    Mouse(form, QEvent::MouseButtonPress, word, Qt::LeftButton, Qt::LeftButton);
    Mouse(form, QEvent::MouseButtonRelease, word, Qt::LeftButton, Qt::NoButton);
    Mouse(form, QEvent::MouseButtonDblClick, word, Qt::LeftButton, Qt::LeftButton);
    Mouse(form, QEvent::MouseButtonRelease, word, Qt::LeftButton, Qt::NoButton);
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("Hemoglobina"));

    // In the find field Ctrl+A and Ctrl+C are the field's own.
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(form.FindBar->Edit(), QStringLiteral("jejum"));
    QTest::keyClick(form.FindBar->Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form.FindBar->Edit(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("jejum"));
    // Another page: the selection does not follow.
    QTRY_VERIFY_WITH_TIMEOUT(!Searching(form), 60000);
    EXPECT_EQ(form.prev->PageNumber(), 2);
    EXPECT_TRUE(form.TextLayer->Selection().Empty());
}

TEST_F(FindCopyTest, MiddleDragScrollsAndLeftDragDoesNot)
{
    TForm1& form = Shown(kPages);
    QScrollBar* bar = form.prev->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    Drag(form, QPoint(300, 300), QPoint(300, 200), Qt::MiddleButton);
    EXPECT_EQ(bar->value(), 100);
    Drag(form, QPoint(300, 300), QPoint(280, 250), Qt::MiddleButton);
    EXPECT_EQ(bar->value(), 150);
    Drag(form, QPoint(300, 400), QPoint(300, 200), Qt::LeftButton);
    EXPECT_EQ(bar->value(), 150);
}

TEST_F(FindCopyTest, AClickOnALinkFollowsItAndADragFromItSelects)
{
    const QString path = Path(QStringLiteral("links.QRP"));
    WriteLinkedReport(path.toStdString(), {{{100, 100, 300, 200, "https://exemplo.com.br/laudo/1"}}});
    TForm1& form = Start({path});
    form.show();
    const QPoint link = At(form, 200, 150);
    Mouse(form, QEvent::MouseMove, link, Qt::NoButton, Qt::NoButton);
    ASSERT_TRUE(form.prev->PreviewImage()->IsLink());
    EXPECT_EQ(form.prev->PreviewImage()->cursor().shape(), Qt::PointingHandCursor);
    Drag(form, link, link);
    EXPECT_EQ(FDialogs.LinkQuestions.size(), 1);
    Drag(form, link, At(form, 500, 500));
    EXPECT_EQ(FDialogs.LinkQuestions.size(), 1) << "a drag is no click";
    Drag(form, link, link);
    EXPECT_EQ(FDialogs.LinkQuestions.size(), 2);
}

TEST_F(FindCopyTest, TheCopiedSamplePageReadsAsPdftotextReadsTheConvertedPdf)
{
    const QString sample = qEnvironmentVariable("QRP_SOURCE_DIR") + QStringLiteral("/samples/laudo.QRP");
    ASSERT_TRUE(QFileInfo::exists(sample)) << sample.toStdString();
    TForm1& form = Start({sample});
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        form.prev->SetPageNumber(page);
        QTest::keyClick(&form, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Clipboard().toStdString(), PageText(form).toStdString()) << "qrptool text's reading of the page";
        EXPECT_TRUE(Clipboard().contains(QStringLiteral("Hemácias\t4,12\tmilhões/mm³\t3,90 a 5,03")) || page != 1);
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) continue;
        QProcess convert;
        convert.start(QStringLiteral(QRPTOOL_PATH), {QStringLiteral("convert"), sample, QStringLiteral("-o"), Path(QStringLiteral("pdf"))});
        ASSERT_TRUE(convert.waitForFinished(120000));
        ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
        QProcess read;
        read.start(pdftotext, {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                               QString::number(page), Path(QStringLiteral("pdf/laudo.pdf")), QStringLiteral("-")});
        ASSERT_TRUE(read.waitForFinished(60000));
        const QString fromPdf = QString::fromUtf8(read.readAllStandardOutput());
        // Words in order: pdftotext lays the page out with spaces of its own.
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        EXPECT_EQ(Clipboard().split(blanks, Qt::SkipEmptyParts).join(u' ').toStdString(),
                  fromPdf.split(blanks, Qt::SkipEmptyParts).join(u' ').toStdString());
    }
}

}  // namespace
}  // namespace qrp
