// Paging keys from every focus, wheel turns at the page's ends, the fit keys and the zoom
// that keeps the point under the mouse.
#include "test_viewer_fixture.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <tuple>

namespace qrp {
namespace {

using namespace testsupport;

class PagingTest : public ViewerTest {
protected:
    static int Scroll(TForm1& form) { return form.prev->verticalScrollBar()->value(); }
    static void Wheel(TForm1& form, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier, QPoint at = {200, 200})
    {
        QWheelEvent wheel(at, form.prev->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.prev->viewport(), &wheel);
    }
    // Presses key until the page changes; how many presses it took (0: it never changed).
    static int PressesToTurn(TForm1& form, QWidget* target, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const int page = form.prev->PageNumber();
        for (int presses = 1; presses <= 20; ++presses) {
            QTest::keyClick(target, key, mods);
            if (form.prev->PageNumber() != page) return presses;
        }
        return 0;
    }
};

TEST_F(PagingTest, PagingKeysWorkFromEveryFocusButTheZoomField)
{
    TForm1& form = Shown(3);
    ASSERT_GT(form.prev->verticalScrollBar()->maximum(), 0) << "the page must be taller than the view";
    struct Focus {
        const char* name;
        QWidget* widget;  // nullptr: nothing in the window has the focus
    } focuses[] = {{"page view", form.prev}, {"exit button", form.BitBtn1}, {"nothing", nullptr}};
    for (const Focus& focus : focuses) {
        SCOPED_TRACE(focus.name);
        if (focus.widget)
            focus.widget->setFocus();
        else if (QWidget* f = QApplication::focusWidget())
            f->clearFocus();
        QWidget* target = focus.widget ? focus.widget : static_cast<QWidget*>(&form);
        QTest::keyClick(target, Qt::Key_End);
        EXPECT_EQ(form.prev->PageNumber(), 3);
        QTest::keyClick(target, Qt::Key_Home);
        EXPECT_EQ(form.prev->PageNumber(), 1);
        // Page Down scrolls through the page before it turns; the next page shows its top.
        EXPECT_GT(PressesToTurn(form, target, Qt::Key_PageDown), 1);
        EXPECT_EQ(form.prev->PageNumber(), 2);
        EXPECT_EQ(Scroll(form), 0);
        // Page Up at the top turns back to the previous page's bottom.
        EXPECT_EQ(PressesToTurn(form, target, Qt::Key_PageUp), 1);
        EXPECT_EQ(form.prev->PageNumber(), 1);
        EXPECT_TRUE(form.prev->AtPageBottom());
        EXPECT_GT(Scroll(form), 0);
        // Home also goes back to the top of a page already shown.
        QTest::keyClick(target, Qt::Key_Home);
        EXPECT_EQ(Scroll(form), 0);
        if (focus.widget != form.BitBtn1) {
            EXPECT_GT(PressesToTurn(form, target, Qt::Key_Space), 1);
            EXPECT_EQ(form.prev->PageNumber(), 2);
            EXPECT_EQ(PressesToTurn(form, target, Qt::Key_Space, Qt::ShiftModifier), 1);
            EXPECT_EQ(form.prev->PageNumber(), 1);
        }
        // At the report's ends the keys stop.
        QTest::keyClick(target, Qt::Key_Home);
        EXPECT_EQ(PressesToTurn(form, target, Qt::Key_PageUp), 0);
        QTest::keyClick(target, Qt::Key_End);
        EXPECT_EQ(PressesToTurn(form, target, Qt::Key_PageDown), 0);
        EXPECT_EQ(form.prev->PageNumber(), 3);
        QTest::keyClick(target, Qt::Key_Home);
    }
    // The zoom field keeps its keys while it is edited.
    form.SpinEdit1->Edit()->setFocus();
    form.SpeedButton3->click();
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End, Qt::Key_Space}) {
        QTest::keyClick(form.SpinEdit1->Edit(), key);
        EXPECT_EQ(form.prev->PageNumber(), 2) << key;
        EXPECT_EQ(Scroll(form), 0) << key;
    }
    // Space on the focused Exit button presses it, as it always did.
    form.BitBtn1->setFocus();
    QTest::keyClick(form.BitBtn1, Qt::Key_Space);
    EXPECT_EQ(form.prev->PageNumber(), 2);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(PagingTest, PagingKeysDoNothingWithoutAReport)
{
    TForm1& form = Start({});
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End, Qt::Key_Space, Qt::Key_0})
        QTest::keyClick(&form, key, key == Qt::Key_0 ? Qt::ControlModifier : Qt::NoModifier);
    Wheel(form, -120);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s) "));
    EXPECT_TRUE(FDialogs.Errors.isEmpty());
}

TEST_F(PagingTest, WheelTurnsPagesOnlyAtThePageEnds)
{
    TForm1& form = Shown(3);
    // Down from the top scrolls the page.
    Wheel(form, -120);
    EXPECT_EQ(form.prev->PageNumber(), 1);
    EXPECT_GT(Scroll(form), 0);
    int notches = 0;
    while (form.prev->PageNumber() == 1 && notches < 100) {
        Wheel(form, -120);
        ++notches;
    }
    EXPECT_EQ(form.prev->PageNumber(), 2);
    EXPECT_EQ(Scroll(form), 0);
    // Up at the top: the previous page's bottom.
    Wheel(form, 120);
    EXPECT_EQ(form.prev->PageNumber(), 1);
    EXPECT_TRUE(form.prev->AtPageBottom());
    // A smooth wheel turns after a whole notch past the end, not on its first small step.
    form.SpeedButton3->click();
    Wheel(form, 60);
    EXPECT_EQ(form.prev->PageNumber(), 2);
    Wheel(form, 60);
    EXPECT_EQ(form.prev->PageNumber(), 1);
    // The first page's top and the last page's bottom are ends of the report.
    QTest::keyClick(&form, Qt::Key_Home);
    Wheel(form, 120);
    EXPECT_EQ(form.prev->PageNumber(), 1);
    EXPECT_EQ(Scroll(form), 0);
    form.SpeedButton4->click();
    form.prev->ScrollToPageBottom();
    Wheel(form, -120);
    EXPECT_EQ(form.prev->PageNumber(), 3);
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Página(s): 3 de 3"));
}

TEST_F(PagingTest, FitKeysShowTheResultingZoomWithinTheFieldsLimits)
{
    TForm1& form = Shown(1);
    QTest::keyClick(&form, Qt::Key_0, Qt::ControlModifier);
    const int fit = form.prev->Zoom();
    EXPECT_EQ(form.SpinEdit1->Value(), fit);
    EXPECT_LE(form.prev->PreviewImage()->height(), form.prev->height());
    QTest::keyClick(&form, Qt::Key_9, Qt::ControlModifier);
    const int width = form.prev->Zoom();
    EXPECT_EQ(form.SpinEdit1->Value(), width);
    EXPECT_GT(width, fit);
    EXPECT_LE(form.prev->PreviewImage()->width(), form.prev->width());
    EXPECT_GT(form.prev->PreviewImage()->width(), form.prev->width() * 3 / 4);
    // A window too small for 30 %: both fits stop at the field's minimum; a wide one at 190.
    form.resize(400, 200);
    QTest::keyClick(&form, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(form.SpinEdit1->Value(), 30);
    EXPECT_EQ(form.prev->Zoom(), 30);
    form.resize(3000, 400);
    QTest::keyClick(&form, Qt::Key_9, Qt::ControlModifier);
    EXPECT_EQ(form.SpinEdit1->Value(), 190);
    EXPECT_EQ(form.prev->Zoom(), 190);
}

TEST_F(PagingTest, ControlWheelKeepsThePointUnderTheMouse)
{
    TForm1& form = Shown(1);
    form.SpinEdit1->SetValue(150);
    form.prev->horizontalScrollBar()->setValue(150);
    form.prev->verticalScrollBar()->setValue(300);
    const QPoint mouse(300, 150);
    int checked = 0;
    for (int delta : {120, 120, -240, -120, -120}) {
        SCOPED_TRACE(delta);
        const QPointF before = form.prev->PageFractionAt(mouse);
        const int zoom = form.prev->Zoom();
        Wheel(form, delta, Qt::ControlModifier, mouse);
        ASSERT_NE(form.prev->Zoom(), zoom);
        const QPointF after = form.prev->PageFractionAt(mouse);
        const QSize image = form.prev->PreviewImage()->size();
        // Unless a scroll bar stops at its end, the page point moves by no more than a pixel.
        for (const auto& [bar, was, is, extent] :
             {std::tuple{form.prev->horizontalScrollBar(), before.x(), after.x(), image.width()},
              std::tuple{form.prev->verticalScrollBar(), before.y(), after.y(), image.height()}}) {
            if (bar->value() <= bar->minimum() || bar->value() >= bar->maximum()) continue;
            EXPECT_NEAR(is * extent, was * extent, 1.5);
            ++checked;
        }
    }
    EXPECT_GE(checked, 6);
    // The buttons keep their rule: the view returns to the origin.
    form.prev->verticalScrollBar()->setValue(200);
    form.SpeedButton5->click();
    EXPECT_EQ(Scroll(form), 0);
}

}  // namespace
}  // namespace qrp
