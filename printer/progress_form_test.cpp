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
    std::shared_ptr<testsupport::TestPrintSystem> system = std::make_shared<testsupport::TestPrintSystem>();
    testsupport::ScopedPrintSystem scope{system};
    TQRPrinter printer{nullptr};
    TQRProgressForm form{printer};
};

TEST_F(ProgressFormTest, ShowsTheCurrentProgressAtMultiplesOfFive)
{
    EXPECT_TRUE(form.Info()->text().isEmpty());
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
