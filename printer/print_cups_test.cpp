// End to end: `qrptool print` on a real CUPS queue that writes PDF files. Needs the private
// print server of scripts/cups-test-server.sh (QRP_TEST_PRINTER, QRP_TEST_PRINTER_OUTPUT)
// and the qrptool program of the same build; skips without them. QRP_PRINT_TEST_DUMP names a
// folder to keep the printed and expected page images in.
#include "platform/canvas.h"
#include "printer/print_job_geometry.h"
#include "printer/report_layout.h"
#include "printer/test_reports.h"
#include "printer/test_ssim.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace qrp {
namespace {

constexpr int kDpi = 100;

QString Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value) : QString();
}

struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};

RunResult RunProgram(const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    QProcess process;
    process.start(program, args);
    RunResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = "timed out";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

class PrintThroughCupsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        queue = Env("QRP_TEST_PRINTER");
        output = Env("QRP_TEST_PRINTER_OUTPUT");
        if (queue.isEmpty() || output.isEmpty()) GTEST_SKIP() << "no test print server (scripts/cups-test-server.sh)";
        qrptool = QCoreApplication::applicationDirPath() + "/../tools/qrptool";
        if (!QFileInfo(qrptool).isExecutable()) GTEST_SKIP() << "qrptool is not built";
        // The three-page sample report; a generated one when the samples are not built.
        const QString sample = Env("QRP_SOURCE_DIR") + "/samples/laudo.QRP";
        report = QFileInfo::exists(sample) ? sample.toStdString() : scratch.Write("laudo.QRP", test::ReportBytes(3));
    }

    void TearDown() override
    {
        for (const QString& file : made) QFile::remove(file);
    }

    // A document name no other job on the queue uses.
    QString NewTitle()
    {
        static int n = 0;
        return QString("qrp-print-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++n);
    }

    // The PDF files the queue wrote for jobs of that title, once `count` of them are
    // complete (pdfinfo reads them), or what is there after 60 s.
    QStringList WaitForOutput(const QString& title, int count)
    {
        const QDeadlineTimer deadline(60000);
        QStringList done;
        while (!deadline.hasExpired()) {
            done.clear();
            for (const QString& name : QDir(output).entryList({title + "-job_*.pdf", title + "_*job_*.pdf"}, QDir::Files, QDir::Name)) {
                const QString path = QDir(output).filePath(name);
                if (!made.contains(path)) made.append(path);
                if (RunProgram("pdfinfo", {path}, 10000).exitCode == 0) done.append(path);
            }
            if (done.size() >= count) break;
            QThread::msleep(100);
        }
        return done;
    }

    static int PageCount(const QString& pdf)
    {
        const RunResult info = RunProgram("pdfinfo", {pdf});
        for (const QString& line : info.out.split('\n'))
            if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
        return -1;
    }

    // Page `page` of the PDF rendered at kDpi.
    QImage RenderPdfPage(const QString& pdf, int page)
    {
        const QString prefix = QString::fromStdString(scratch.File("page"));
        const RunResult r = RunProgram("pdftoppm", {"-q", "-r", QString::number(kDpi), "-png", "-singlefile", "-f",
                                             QString::number(page), "-l", QString::number(page), pdf, prefix});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QImage(prefix + ".png");
    }

    // Page `page` of the report played directly onto a white sheet of `size` pixels, with the
    // geometry the print job uses for a device of kDpi without unprintable margins.
    QImage RenderReportPage(int page, QSize size)
    {
        TQRPageList list;
        list.LoadFromFile(report);
        const std::unique_ptr<TMetafile> picture = list.GetPage(page);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!picture) return image;
        const TQRReportLayout layout;  // the layout page qrptool's blank layout gets here
        QPainter painter(&image);
        TCanvas canvas(&painter);
        canvas.StretchDraw(SheetRect(layout.Page().Width, layout.Page().Length, kDpi, kDpi, 0, 0), *picture);
        return image;
    }

    // SSIM of the images smoothed to half their resolution: the structure of the page, not
    // how two rasterisers place the edges of small glyphs.
    static double Similarity(const QImage& a, const QImage& b)
    {
        const auto half = [](const QImage& i) { return i.scaled(i.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); };
        return test::Ssim(half(a), half(b));
    }

    // Each page of the PDF looks like the report page it stands for.
    void ExpectPagesMatch(const QString& pdf, int firstReportPage, int pages)
    {
        for (int i = 0; i < pages; ++i) {
            const QImage printed = RenderPdfPage(pdf, i + 1);
            ASSERT_FALSE(printed.isNull());
            const QImage expected = RenderReportPage(firstReportPage + i, printed.size());
            if (const QString dump = Env("QRP_PRINT_TEST_DUMP"); !dump.isEmpty()) {
                printed.save(QString("%1/printed-%2.png").arg(dump).arg(firstReportPage + i));
                expected.save(QString("%1/expected-%2.png").arg(dump).arg(firstReportPage + i));
            }
            // A faithful sheet scores about 0.95, half a millimetre of shift about 0.88.
            EXPECT_GT(Similarity(printed, expected), 0.92) << "sheet " << i + 1 << " (report page " << firstReportPage + i << ")";
            if (i + 1 < pages) {
                // A neighbouring report page must not match as well: the comparison sees content.
                const QImage other = RenderReportPage(firstReportPage + i + 1, printed.size());
                if (other != expected) {
                    EXPECT_LT(Similarity(printed, other), Similarity(printed, expected));
                }
            }
        }
    }

    RunResult Print(const QString& title, const QStringList& extra)
    {
        return RunProgram(qrptool, QStringList{"print", QString::fromStdString(report), "--printer", queue, "--title", title} + extra);
    }

    QString queue, output, qrptool;
    std::string report;
    test::Scratch scratch;
    QStringList made;
};

TEST_F(PrintThroughCupsTest, PrintsTheWholeReportAndARange)
{
    const QString all = NewTitle();
    const RunResult whole = Print(all, {});
    ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    EXPECT_TRUE(whole.err.contains("100%")) << "the terminal progress bar";
    const QStringList pdfs = WaitForOutput(all, 1);
    ASSERT_EQ(pdfs.size(), 1);
    EXPECT_EQ(PageCount(pdfs[0]), 3);
    ExpectPagesMatch(pdfs[0], 1, 3);

    const QString range = NewTitle();
    const RunResult part = Print(range, {"--from", "2", "--to", "3"});
    ASSERT_EQ(part.exitCode, 0) << part.err.toStdString();
    const QStringList rangePdfs = WaitForOutput(range, 1);
    ASSERT_EQ(rangePdfs.size(), 1);
    EXPECT_EQ(PageCount(rangePdfs[0]), 2);
    ExpectPagesMatch(rangePdfs[0], 2, 2);
}

TEST_F(PrintThroughCupsTest, ThreeCopiesAreThreeJobs)
{
    const QString title = NewTitle();
    const RunResult r = Print(title, {"--copies", "3", "--from", "1", "--to", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList pdfs = WaitForOutput(title, 3);
    ASSERT_EQ(pdfs.size(), 3);
    for (const QString& pdf : pdfs) EXPECT_EQ(PageCount(pdf), 1);
}

TEST_F(PrintThroughCupsTest, RefusesAnUnknownPrinterAndABadReport)
{
    const RunResult unknown = RunProgram(qrptool, {"print", QString::fromStdString(report), "--printer", "No_Such_Queue"});
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_TRUE(unknown.err.contains("no printer named 'No_Such_Queue'")) << unknown.err.toStdString();

    const std::string junk = scratch.Write("junk.QRP", std::vector<uint8_t>(500, 7));
    const RunResult bad = RunProgram(qrptool, {"print", QString::fromStdString(junk), "--printer", queue});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("cannot load")) << bad.err.toStdString();

    const RunResult usage = RunProgram(qrptool, {"print", QString::fromStdString(report), "--copies", "0"});
    EXPECT_EQ(usage.exitCode, 1);
}

}  // namespace
}  // namespace qrp
