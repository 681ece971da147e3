#include "printer/progress_form.h"

#include "platform/testing/test_print_system.h"
#include "printer/qr_printer.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qrp {
namespace {

class ProgressFormTest : public ::testing::Test {
protected:
    std::shared_ptr<testing::TestPrintSystem> system = std::make_shared<testing::TestPrintSystem>();
    testing::ScopedPrintSystem scope{system};
    TQRPrinter printer{nullptr};
    TQRProgressForm form{printer};
};

TEST_F(ProgressFormTest, StartsEmptyWithItsCaptionAndControls)
{
    EXPECT_EQ(form.windowTitle(), QString("Printing progress"));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.size(), QSize(149, 97));
    EXPECT_EQ(form.Gauge()->geometry(), QRect(16, 18, 114, 16));
    EXPECT_EQ(form.Gauge()->minimum(), 0);
    EXPECT_EQ(form.Gauge()->maximum(), 100);
    EXPECT_EQ(form.Info()->geometry(), QRect(0, 44, 145, 13));
    EXPECT_TRUE(form.Info()->text().isEmpty());
    EXPECT_EQ(form.CancelButton()->text(), QString("Cancel"));
    EXPECT_EQ(form.CancelButton()->geometry(), QRect(36, 68, 75, 25));
}

TEST_F(ProgressFormTest, ShowsTheCurrentProgressAtMultiplesOfFive)
{
    printer.SetClient(&form);
    printer.SetProgress(40);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Gauge()->value(), 40);
    EXPECT_EQ(form.Info()->text(), QString("40%  Completed"));

    printer.SetProgress(33);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Gauge()->value(), 40) << "33 is not a multiple of 5";
    EXPECT_EQ(form.Info()->text(), QString("40%  Completed"));

    // The notice only says "look": the window reads the value current when it is handled.
    printer.SetProgress(67);
    printer.SetProgress(100);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Gauge()->value(), 100);
    EXPECT_EQ(form.Info()->text(), QString("100%  Completed"));
    EXPECT_EQ(ProgressInfoText(5), QString("5%  Completed"));
}

TEST_F(ProgressFormTest, CancelButtonCancelsThePrinter)
{
    EXPECT_FALSE(printer.Cancelled());
    form.CancelButton()->click();
    EXPECT_TRUE(printer.Cancelled());
}

}  // namespace
}  // namespace qrp
