// End to end: `qrptool print` on a real CUPS queue that writes PDF files. Needs the private
// print server of scripts/cups-test-server.sh (QRP_TEST_PRINTER, QRP_TEST_PRINTER_OUTPUT,
// QRP_TEST_PRINTER_SPOOL) and the qrptool program of the same build; skips without them.
// QRP_PRINT_TEST_DUMP names a folder to keep the printed and expected page images in.
#include "emf/emf_writer.h"
#include "platform/canvas.h"
#include "printer/test_ssim.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"
#include "testsupport/files.h"
#include "testsupport/reports.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// A report page of the frame (0.01 mm) as a report generator records it at 96 dpi: a border,
// a circle of 100 mm, and lines of text, so that the queue's PDF writer turns each page
// upright by its text when it shows a landscape page.
std::vector<uint8_t> TextPagePicture(const testsupport::PageFrame& frame)
{
    const auto px = [](int hundredthsMm) { return static_cast<int32_t>(std::lround(hundredthsMm * 96.0 / 2540)); };
    emf::EmfWriterOptions options;
    options.frame = {0, 0, frame.width, frame.height};
    options.devicePixels = {px(frame.width), px(frame.height)};
    options.deviceMillimeters = {frame.width / 100, frame.height / 100};
    emf::EmfWriter w(options);
    const int32_t width = px(frame.width), height = px(frame.height), inset = px(1000);
    w.CreatePen(1, 0, 2, emf::Rgb(0, 0, 0));
    w.SelectObject(1);
    w.CreateBrushIndirect(2, 1 /* BS_NULL */, 0);
    w.SelectObject(2);
    w.Rectangle({inset, inset, width - inset, height - inset});
    w.Ellipse({width / 2 - px(5000), height / 2 - px(5000), width / 2 + px(5000), height / 2 + px(5000)});
    emf::LogFontW font;
    font.height = -px(500);
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(3, font);
    w.SelectObject(3);
    w.SetBkMode(1 /* TRANSPARENT */);
    for (int line = 0; line < 6; ++line)
        w.ExtTextOutW({2 * inset, 2 * inset + line * px(800)}, u"Resultado dentro dos valores de referencia", {});
    return w.Finish();
}

std::vector<uint8_t> TextReportBytes(const std::vector<testsupport::PageFrame>& frames)
{
    std::vector<std::vector<uint8_t>> pictures;
    for (const testsupport::PageFrame& frame : frames) pictures.push_back(TextPagePicture(frame));
    return testsupport::ReportBytes(pictures);
}

class PrintThroughCupsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        queue = Env("QRP_TEST_PRINTER");
        output = Env("QRP_TEST_PRINTER_OUTPUT");
        spool = Env("QRP_TEST_PRINTER_SPOOL");
        if (queue.isEmpty() || output.isEmpty() || spool.isEmpty())
            GTEST_SKIP() << "no test print server (scripts/cups-test-server.sh)";
        qrptool = QCoreApplication::applicationDirPath() + "/../tools/qrptool";
        if (!QFileInfo(qrptool).isExecutable()) GTEST_SKIP() << "qrptool is not built";
        // The three-page sample report; a generated one when the samples are not built.
        const QString sample = Env("QRP_SOURCE_DIR") + "/samples/laudo.QRP";
        report = QFileInfo::exists(sample) ? sample.toStdString() : scratch.Write("laudo.QRP", testsupport::FramedReportBytes(3));
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

    // Page `page` of the report played directly onto a white image of `size` pixels that
    // shows a sheet of `sheet` points from its corner: as large as the sheet allows with the
    // frame's shape kept, centred; placed to a twelfth of a pixel, as a 1200-dpi device places
    // it on the sheet.
    QImage RenderReportPage(int page, QSize size, QSizeF sheet)
    {
        TQRPageList list;
        list.LoadFromFile(report);
        const std::unique_ptr<TMetafile> picture = list.GetPage(page);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        if (!picture) return image;
        constexpr double kSub = 12;
        const QSizeF area = sheet * (kDpi / 72.0) * kSub;
        const double scale = std::min(area.width() / picture->MMWidth(), area.height() / picture->MMHeight());
        const int w = qRound(picture->MMWidth() * scale);
        const int h = qRound(picture->MMHeight() * scale);
        const int left = qRound((area.width() - w) / 2);
        const int top = qRound((area.height() - h) / 2);
        QPainter painter(&image);
        painter.scale(1 / kSub, 1 / kSub);
        TCanvas canvas(&painter);
        canvas.StretchDraw(Rect(left, top, left + w, top + h), *picture);
        return image;
    }

    // The size of page `page` of the PDF in points as it is shown (its rotation applied).
    static QSizeF ShownPageSize(const QString& pdf, int page)
    {
        const QString n = QString::number(page);
        const RunResult info = RunProgram("pdfinfo", {"-f", n, "-l", n, pdf});
        QSizeF size;
        int rotation = 0;
        for (const QString& line : info.out.split('\n')) {
            const QString prefix = QString("Page %1").arg(page, 4);
            if (!line.startsWith(prefix)) continue;
            const QString rest = line.mid(prefix.size()).trimmed();
            if (rest.startsWith("size:")) {
                const QStringList words = rest.mid(5).simplified().split(' ');
                if (words.size() >= 3) size = QSizeF(words[0].toDouble(), words[2].toDouble());
            } else if (rest.startsWith("rot:")) {
                rotation = rest.mid(4).trimmed().toInt();
            }
        }
        return rotation % 180 != 0 ? size.transposed() : size;
    }

    // The document of the job whose output is `pdf` as the server received it: the PDF
    // our job handed to CUPS, before any filter (the server keeps job files).
    QString SpooledDocument(const QString& pdf) const
    {
        const QRegularExpressionMatch job = QRegularExpression("job_(\\d+)\\.pdf$").match(pdf);
        if (!job.hasMatch()) return QString();
        return QDir(spool).filePath(QString("d%1-001").arg(job.captured(1).toInt(), 5, 10, QChar('0')));
    }

    // Prints a report made of pages with these frames and checks each sheet: the paper and
    // orientation the page asks for, and the page on it whole and undistorted.
    //
    // Orientation is checked on the document our job hands to CUPS: each page there has
    // the media box of its own sheet (`papers`, landscape pages wider than high). The PDF
    // the queue writes cannot show it: CUPS gives a job one medium, and its PDF-to-PDF
    // filter puts every page on that medium the way the paper is fed, turning a page of
    // the other orientation by a quarter (as a physical printer prints it); the PDF
    // writer behind the queue also turns pages upright by the direction of their text.
    // So the printed PDF is checked for the paper only (its size, either way up) and for
    // each sheet's content, compared turned back where the queue turned it.
    void PrintFramesAndCheck(const std::vector<testsupport::PageFrame>& frames, const std::vector<QSizeF>& papers)
    {
        report = scratch.Write("frames.QRP", TextReportBytes(frames));
        const QString title = NewTitle();
        const RunResult r = Print(title, {});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList pdfs = WaitForOutput(title, 1);
        ASSERT_EQ(pdfs.size(), 1);
        if (const QString dump = Env("QRP_PRINT_TEST_DUMP"); !dump.isEmpty()) {
            QFile::copy(pdfs[0], dump + "/" + QFileInfo(pdfs[0]).fileName());
            QFile::copy(QString::fromStdString(report), dump + "/" + title + ".QRP");
        }
        ASSERT_EQ(PageCount(pdfs[0]), static_cast<int>(papers.size()));
        const QString handed = SpooledDocument(pdfs[0]);
        ASSERT_EQ(PageCount(handed), static_cast<int>(papers.size())) << handed.toStdString();
        for (size_t i = 0; i < papers.size(); ++i) {
            const int page = static_cast<int>(i) + 1;
            const QSizeF sheet = ShownPageSize(handed, page);
            EXPECT_NEAR(sheet.width(), papers[i].width(), 1.5) << "sheet " << page << " as handed to CUPS";
            EXPECT_NEAR(sheet.height(), papers[i].height(), 1.5) << "sheet " << page << " as handed to CUPS";
            const QSizeF shown = ShownPageSize(pdfs[0], page);
            const bool pageLandscape = frames[i].width > frames[i].height;
            // The paper, whichever way the queue feeds it.
            EXPECT_NEAR(std::min(shown.width(), shown.height()), std::min(papers[i].width(), papers[i].height()), 1.5)
                << "sheet " << page;
            EXPECT_NEAR(std::max(shown.width(), shown.height()), std::max(papers[i].width(), papers[i].height()), 1.5)
                << "sheet " << page;
            QImage printed = RenderPdfPage(pdfs[0], page);
            ASSERT_FALSE(printed.isNull());
            double score = 0;
            if ((printed.width() > printed.height()) == pageLandscape) {
                score = Similarity(printed, RenderReportPage(page, printed.size(), shown));
            } else {
                for (const int angle : {90, 270}) {
                    const QImage turned = printed.transformed(QTransform().rotate(angle));
                    score = std::max(score, Similarity(turned, RenderReportPage(page, turned.size(), shown.transposed())));
                }
            }
            if (const QString dump = Env("QRP_PRINT_TEST_DUMP"); !dump.isEmpty())
                printed.save(QString("%1/%2-sheet-%3.png").arg(dump, title).arg(page));
            EXPECT_GE(score, 0.92) << "sheet " << page;
        }
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
            const QSizeF sheet = ShownPageSize(pdf, i + 1);
            const QImage expected = RenderReportPage(firstReportPage + i, printed.size(), sheet);
            if (const QString dump = Env("QRP_PRINT_TEST_DUMP"); !dump.isEmpty()) {
                printed.save(QString("%1/printed-%2.png").arg(dump).arg(firstReportPage + i));
                expected.save(QString("%1/expected-%2.png").arg(dump).arg(firstReportPage + i));
            }
            // A faithful sheet scores about 0.95, half a millimetre of shift about 0.88.
            EXPECT_GT(Similarity(printed, expected), 0.92) << "sheet " << i + 1 << " (report page " << firstReportPage + i << ")";
            if (i + 1 < pages) {
                // A neighbouring report page must not match as well: the comparison sees content.
                const QImage other = RenderReportPage(firstReportPage + i + 1, printed.size(), sheet);
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

    QString queue, output, spool, qrptool;
    std::string report;
    testsupport::ScratchDir scratch;
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

const QSizeF kA4Points(595.3, 841.9);
const QSizeF kLetterPoints(612, 792);

TEST_F(PrintThroughCupsTest, EachSheetTakesThePaperAndOrientationOfItsPage)
{
    // The queue's own paper is A4: a Letter report still prints on Letter.
    PrintFramesAndCheck({{29700, 21000}, {29700, 21000}}, {kA4Points.transposed(), kA4Points.transposed()});
    PrintFramesAndCheck({{21590, 27940}, {21590, 27940}}, {kLetterPoints, kLetterPoints});
    PrintFramesAndCheck({{27940, 21590}}, {kLetterPoints.transposed()});
}

TEST_F(PrintThroughCupsTest, AMixedReportPrintsEachPageWholeAndUndistorted)
{
    PrintFramesAndCheck({{21000, 29700}, {29700, 21000}, {21000, 29700}, {29700, 21000}},
                        {kA4Points, kA4Points.transposed(), kA4Points, kA4Points.transposed()});
}

TEST_F(PrintThroughCupsTest, APageOfAnotherShapeIsFittedWhole)
{
    // A square page in an A4 report: on an A4 sheet, as wide as the sheet, centred.
    PrintFramesAndCheck({{21000, 29700}, {15000, 15000}}, {kA4Points, kA4Points});
}

TEST_F(PrintThroughCupsTest, RefusesAPageRangeOutsideTheReport)
{
    for (const QStringList& range : {QStringList{"--from", "4"}, QStringList{"--to", "9"}, QStringList{"--from", "3", "--to", "2"}}) {
        const QString title = NewTitle();
        const RunResult r = Print(title, range);
        EXPECT_EQ(r.exitCode, 1) << range.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("has 3 pages")) << r.err.toStdString();
    }
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
