// The fixture of the preview tests: a test print system whose default printer is an A4 one,
// a scratch folder for report files, and a blank layout for the report printers.
#pragma once

#include "platform/testing/test_print_system.h"
#include "printer/qr_printer.h"
#include "printer/report_layout.h"
#include "testsupport/reports.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qrp {

class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto system = std::make_shared<testsupport::TestPrintSystem>();
        system->AddPrinter("Office").SetA4(600);
        system->SetDefaultPrinter("Office");
        FScope = std::make_unique<testsupport::ScopedPrintSystem>(system);
        ASSERT_TRUE(FDir.isValid());
    }

    std::string Path(const std::string& name) const { return FDir.filePath(QString::fromStdString(name)).toStdString(); }

    // A new report file of `pages` banded A4 pages (drawn or blank), or of one framed page
    // per frame.
    std::string BandedReport(int pages, bool drawn = true)
    {
        const std::string path = NextPath();
        testsupport::WriteBandedReport(path, pages, false, drawn);
        return path;
    }
    std::string FramedReport(const std::vector<testsupport::PageFrame>& frames)
    {
        const std::string path = NextPath();
        testsupport::WriteFramedReport(path, frames);
        return path;
    }

    // A report printer on the blank layout holding a report of `pages` banded A4 pages.
    std::unique_ptr<TQRPrinter> LoadedPrinter(int pages, bool drawn = true)
    {
        auto printer = std::make_unique<TQRPrinter>(&FLayout);
        printer->Load(BandedReport(pages, drawn));
        return printer;
    }

    QTemporaryDir FDir;
    TQRReportLayout FLayout{TQRPage{}};
    std::unique_ptr<testsupport::ScopedPrintSystem> FScope;

private:
    std::string NextPath() { return Path("r" + std::to_string(++FFiles) + ".QRP"); }

    int FFiles = 0;
};

}  // namespace qrp
