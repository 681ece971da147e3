#include "viewer/spin_edit.h"

#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

namespace qrp {
namespace {

struct ZoomField {
    TSpinEdit field;
    int changes = 0;
    ZoomField()
    {
        field.SetMinValue(30);
        field.SetMaxValue(190);
        field.SetMaxLength(3);
        field.SetValue(90);
        field.SetOnChange([this] { ++changes; });
    }
};

TEST(SpinEditTest, ReadingGivesTheNumberOrTheMinimum)
{
    ZoomField z;
    for (const char* text : {"", "-", "+", ",", "."}) {
        z.field.SetText(QString::fromLatin1(text));
        EXPECT_EQ(z.field.Value(), 30) << text;
    }
    z.field.SetText(QStringLiteral("5"));
    EXPECT_EQ(z.field.Value(), 5);  // no clamping on read
    z.field.SetText(QStringLiteral("999"));
    EXPECT_EQ(z.field.Value(), 999);
    z.field.SetText(QStringLiteral("+45"));
    EXPECT_EQ(z.field.Value(), 45);
}

TEST(SpinEditTest, WritingClampsAndSkipsUnchangedText)
{
    ZoomField z;
    z.field.SetValue(90);
    EXPECT_EQ(z.changes, 0);
    z.field.SetValue(500);
    EXPECT_EQ(z.field.Text(), QStringLiteral("190"));
    EXPECT_EQ(z.changes, 1);
    z.field.SetValue(191);
    EXPECT_EQ(z.changes, 1);
    z.field.SetValue(-4);
    EXPECT_EQ(z.field.Text(), QStringLiteral("30"));
    EXPECT_EQ(z.changes, 2);
}

TEST(SpinEditTest, TypingAcceptsDigitsSignsSeparatorAndControlsOnly)
{
    ZoomField z;
    z.field.show();
    QLineEdit* edit = z.field.Edit();
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("a1 x"));
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("-+") + QLocale::system().decimalPoint());
    EXPECT_EQ(edit->text(), QStringLiteral("-+") + QLocale::system().decimalPoint());
    // At most three characters fit.
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("1234"));
    EXPECT_EQ(edit->text(), QStringLiteral("123"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    // Pasting is not filtered.
    edit->clear();
    edit->insert(QStringLiteral("ab"));
    EXPECT_EQ(edit->text(), QStringLiteral("ab"));
}

TEST(SpinEditTest, ArrowKeysStepByOneWithinTheRange)
{
    ZoomField z;
    z.field.show();
    QLineEdit* edit = z.field.Edit();
    z.field.SetValue(189);
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(z.field.Value(), 190);
    z.field.SetValue(31);
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(z.field.Value(), 30);
    // A typed value outside the range steps into it.
    z.field.SetText(QStringLiteral("5"));
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(z.field.Value(), 30);
}

TEST(SpinEditTest, HeldButtonRepeatsAfter400ThenEvery100Milliseconds)
{
    ZoomField z;
    z.field.resize(51, 26);
    z.field.show();
    TSpinButton* up = z.field.UpButton();
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_EQ(z.field.Value(), 91);
    EXPECT_TRUE(up->RepeatTimer().isActive());
    EXPECT_EQ(up->RepeatTimer().interval(), TSpinButton::kFirstRepeatMs);
    // The first repeat, however late a loaded machine delivers it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return z.field.Value() >= 92; }, 5000));
    EXPECT_EQ(up->RepeatTimer().interval(), TSpinButton::kNextRepeatMs);
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_FALSE(up->RepeatTimer().isActive());
    const int after = z.field.Value();
    QTest::qWait(250);
    EXPECT_EQ(z.field.Value(), after);
    QTest::mouseClick(z.field.DownButton(), Qt::LeftButton);
    EXPECT_EQ(z.field.Value(), after - 1);
}

TEST(SpinEditTest, LeavingClampsOnlyAnOutsideValue)
{
    ZoomField z;
    z.field.SetText(QStringLiteral("5"));
    const int before = z.changes;
    z.field.CheckOnExit();
    EXPECT_EQ(z.field.Text(), QStringLiteral("30"));
    EXPECT_EQ(z.changes, before + 1);
    z.field.SetText(QStringLiteral("250"));
    z.field.CheckOnExit();
    EXPECT_EQ(z.field.Text(), QStringLiteral("190"));
    z.field.SetText(QStringLiteral("120"));
    const int inside = z.changes;
    z.field.CheckOnExit();
    EXPECT_EQ(z.changes, inside);
}

}  // namespace
}  // namespace qrp
