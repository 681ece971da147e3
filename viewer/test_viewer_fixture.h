// The fixture of the viewer tests: a test print system with one A4 printer, a temporary
// folder with report files, scripted dialogs, and a fresh shared report printer per test.
#pragma once

#include "platform/testing/test_print_system.h"
#include "preview/preview.h"
#include "printer/qr_printer.h"
#include "testsupport/qt_files.h"
#include "testsupport/reports.h"
#include "viewer/form1.h"
#include "viewer/spin_edit.h"
#include "viewer/startup.h"
#include "viewer/test_dialogs.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace qrp::testsupport {

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FSystem = std::make_shared<TestPrintSystem>();
        FSystem->AddPrinter("Office").SetA4(600);
        FSystem->AddPrinter("Lab").SetA4(300);
        FSystem->SetDefaultPrinter("Office");
        FScope = std::make_unique<ScopedPrintSystem>(FSystem);
        ASSERT_TRUE(FDir.isValid());
    }
    void TearDown() override
    {
        FStartup.Form.reset();
        DestroySharedReportPrinter();
        FScope.reset();
    }

    QString Path(const QString& name) const { return FDir.filePath(name); }
    QString Report(const QString& name, int pages)
    {
        const QString path = Path(name);
        WriteBandedReport(path.toStdString(), pages);
        return path;
    }
    TForm1& Start(const QStringList& arguments)
    {
        FStartup = StartViewer(arguments, FDialogs);
        return *FStartup.Form;
    }
    TForm1& StartWith(int pages) { return Start({Report(QStringLiteral("report.QRP"), pages)}); }
    // The window shown and active (keys reach it).
    static TForm1& Activated(TForm1& form)
    {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
    // The window on a report of `pages` pages, shown and active.
    TForm1& Shown(int pages) { return Activated(StartWith(pages)); }

    std::shared_ptr<TestPrintSystem> FSystem;
    std::unique_ptr<ScopedPrintSystem> FScope;
    QTemporaryDir FDir;
    ScriptedDialogs FDialogs;
    TStartup FStartup;
};

}  // namespace qrp::testsupport
