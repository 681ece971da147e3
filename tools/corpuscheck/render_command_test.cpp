// `qrptool render` driven as a user drives it: a process with arguments, files out, an exit
// status and one line of error.
#include "emf/emf_writer.h"
#include "testsupport/files.h"
#include "testsupport/reports.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

using qrp::emf::EmfWriter;
using qrp::emf::EmfWriterOptions;
using qrp::emf::RectL;

struct RunResult {
    int exitCode = -1;
    std::string err;
    std::string out;
};

RunResult Render(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(QRPTOOL_PATH), QStringList{"render"} + args);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardError().toStdString(),
            process.readAllStandardOutput().toStdString()};
}

class RenderCommand : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return FDir.filePath(name); }

    // A picture with the given frame and one black rectangle over it.
    static std::vector<uint8_t> Picture(const RectL& frame)
    {
        EmfWriterOptions options;
        options.frame = frame;
        EmfWriter writer(options);
        writer.Rectangle({frame.left / 100, frame.top / 100, frame.right / 100, frame.bottom / 100});
        return writer.Finish();
    }

    QString WriteReport(const QString& name, const std::vector<RectL>& frames)
    {
        std::vector<std::vector<uint8_t>> pictures;
        for (const RectL& frame : frames) pictures.push_back(Picture(frame));
        const QString path = Path(name);
        qrp::testsupport::WriteReport(path.toStdString(), pictures);
        return path;
    }

    QString WritePicture(const QString& name, const RectL& frame)
    {
        const QString path = Path(name);
        qrp::testsupport::WriteFile(path.toStdString(), Picture(frame));
        return path;
    }

    QTemporaryDir FDir;
};

TEST_F(RenderCommand, PageSizeFollowsTheFrame)
{
    const QString a4 = WritePicture("a4.emf", {0, 0, 21000, 29700});
    ASSERT_EQ(Render({a4, "--width", "800", "-o", Path("w.png")}).exitCode, 0);
    EXPECT_EQ(QImage(Path("w.png")).size(), QSize(800, 1131));  // 1 + round(799 x 29700 / 21000)
    ASSERT_EQ(Render({a4, "--dpi", "96", "-o", Path("d.png")}).exitCode, 0);
    EXPECT_EQ(QImage(Path("d.png")).size(), QSize(794, 1123));
    ASSERT_EQ(Render({a4, "-o", Path("default.png")}).exitCode, 0);
    EXPECT_EQ(QImage(Path("default.png")).size(), QSize(794, 1123));

    // The frame's offset does not matter, only its size; 299 x 0.4 = 119.6 rounds up.
    const QString wide = WritePicture("wide.emf", {100, 200, 5100, 2200});
    ASSERT_EQ(Render({wide, "--width", "300", "-o", Path("wide.png")}).exitCode, 0);
    EXPECT_EQ(QImage(Path("wide.png")).size(), QSize(300, 121));
    ASSERT_EQ(Render({wide, "--width", "300", "-o", Path("wide.svg")}).exitCode, 0);
    QFile svg(Path("wide.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("viewBox=\"0 0 300 121\""));
}

TEST_F(RenderCommand, AllPagesNameFilesByNumberAndPdfPagesTakeTheFrameSize)
{
    // A4 portrait, A4 landscape, A5.
    const QString report = WriteReport("three.QRP", {{0, 0, 21000, 29700}, {0, 0, 29700, 21000}, {0, 0, 14800, 21000}});
    ASSERT_EQ(Render({report, "--all", "--width", "100", "-o", Path("page-%03d.png")}).exitCode, 0);
    EXPECT_EQ(QImage(Path("page-001.png")).size(), QSize(100, 141));  // 1 + round(140.01)
    EXPECT_EQ(QImage(Path("page-002.png")).size(), QSize(100, 71));
    EXPECT_EQ(QImage(Path("page-003.png")).size(), QSize(100, 141));
    EXPECT_FALSE(QFile::exists(Path("page-004.png")));
    ASSERT_EQ(Render({report, "--all", "-o", Path("p%d.svg")}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(Path("p1.svg")) && QFile::exists(Path("p3.svg")));
    ASSERT_EQ(Render({report, "--page", "2", "--width", "50", "-o", Path("second.png")}).exitCode, 0);
    EXPECT_EQ(QImage(Path("second.png")).size(), QSize(50, 36));

    ASSERT_EQ(Render({report, "--all", "-o", Path("all.pdf")}).exitCode, 0);
    QFile pdf(Path("all.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QString bytes = QString::fromLatin1(pdf.readAll());
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    // Each page in whole points: 210 x 297 mm, 297 x 210 mm, 148 x 210 mm.
    QStringList boxes;
    auto it = QRegularExpression(R"(/MediaBox \[0 0 (\d+)(?:\.0*)? (\d+)(?:\.0*)?\])").globalMatch(bytes);
    while (it.hasNext()) {
        const auto m = it.next();
        boxes << m.captured(1) + "x" + m.captured(2);
    }
    EXPECT_EQ(boxes, (QStringList{"595x842", "842x595", "420x595"}));
}

TEST_F(RenderCommand, TextIsSmoothUnlessGdiIsAsked)
{
    // 100 x 50 mm on the writer's 81-dpi device: 320 x 160 pixels; a 14-pixel em, which GDI
    // draws without grey levels.
    EmfWriterOptions options;
    options.frame = {0, 0, 10000, 5000};
    EmfWriter writer(options);
    qrp::emf::LogFontW font;
    font.height = -14;
    font.faceName = u"Arial";
    writer.ExtCreateFontIndirectW(1, font);
    writer.SelectObject(1);
    writer.ExtTextOutW({10, 20}, u"Bastonetes Segmentados Eosinófilos", {});
    const std::vector<uint8_t> bytes = writer.Finish();
    const QString emf = Path("words.emf");
    std::ofstream(emf.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    auto grey = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += qGray(image.pixel(x, y)) > 40 && qGray(image.pixel(x, y)) < 215;
        return n;
    };
    ASSERT_EQ(Render({emf, "--width", "321", "-o", Path("default.png")}).exitCode, 0);
    ASSERT_EQ(Render({emf, "--width", "321", "--text", "smooth", "-o", Path("smooth.png")}).exitCode, 0);
    ASSERT_EQ(Render({emf, "--width", "321", "--text", "gdi", "-o", Path("gdi.png")}).exitCode, 0);
    EXPECT_GT(grey(QImage(Path("default.png"))), 100);
    EXPECT_EQ(QImage(Path("default.png")), QImage(Path("smooth.png")));
    EXPECT_EQ(grey(QImage(Path("gdi.png"))), 0);

    const RunResult bad = Render({emf, "--text", "subpixel", "-o", Path("bad.png")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("--text needs gdi or smooth"), std::string::npos) << bad.err;
}

TEST_F(RenderCommand, TracePrintsEachPagesDrawingCalls)
{
    const QString report = WriteReport("two.QRP", {{0, 0, 21000, 29700}, {0, 0, 29700, 21000}});
    const RunResult run = Render({report, "--all", "--trace", "--width", "100", "-o", Path("t.pdf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto second = run.out.find("page 2\n");
    ASSERT_EQ(run.out.rfind("page 1\n", 0), 0u) << run.out;
    ASSERT_NE(second, std::string::npos) << run.out;
    // Each page's trace ends with its summary line.
    EXPECT_NE(run.out.substr(0, second).find("played "), std::string::npos);
    EXPECT_NE(run.out.substr(second).find("played "), std::string::npos);
}

TEST_F(RenderCommand, SkippedRecordsAreListedPerPageAndThePageIsStillWritten)
{
    EmfWriterOptions options;
    options.frame = {0, 0, 1000, 1000};
    EmfWriter writer(options);
    writer.Rectangle({1, 1, 8, 8});
    const size_t unknownAt = writer.Bytes().size();
    writer.Append(126);
    const std::vector<uint8_t> bytes = writer.Finish();
    const QString path = Path("odd.emf");
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    const RunResult run = Render({path, "-o", Path("odd.png")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(QFile::exists(Path("odd.png")));
    EXPECT_NE(run.err.find(": page 1: skipped 1 record\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("offset " + std::to_string(unknownAt) + ": unknown (type 126): record type not supported\n"),
              std::string::npos)
        << run.err;

    // A clean page says nothing.
    const RunResult clean = Render({WritePicture("clean.emf", {0, 0, 1000, 1000}), "-o", Path("clean.png")});
    EXPECT_EQ(clean.exitCode, 0);
    EXPECT_EQ(clean.err, "");
}

TEST_F(RenderCommand, InfoVerboseListsTheSkippedRecordsOfEachPage)
{
    EmfWriterOptions options;
    options.frame = {0, 0, 1000, 1000};
    EmfWriter writer(options);
    writer.Rectangle({1, 1, 8, 8});
    const size_t unknownAt = writer.Bytes().size();
    writer.Append(126);
    const QString report = Path("odd.QRP");
    qrp::testsupport::WriteReport(report.toStdString(), {Picture({0, 0, 1000, 1000}), writer.Finish()});

    auto info = [](const QStringList& args) {
        QProcess process;
        process.start(QStringLiteral(QRPTOOL_PATH), QStringList{"info"} + args);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput().toStdString();
    };
    const std::string text = info({report, "--verbose"});
    const auto second = text.find("page 2:");
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_EQ(text.substr(0, second).find("skipped"), std::string::npos) << text;
    EXPECT_NE(text.find("  skipped records:\n    offset " + std::to_string(unknownAt) +
                        ": unknown (type 126): record type not supported\n", second),
              std::string::npos)
        << text;
    EXPECT_EQ(info({report}).find("skipped"), std::string::npos);
    const std::string json = info({report, "--json", "--verbose"});
    EXPECT_NE(json.find("\"skipped\": \"\""), std::string::npos) << json;
    EXPECT_NE(json.find("record type not supported\\u000a\""), std::string::npos) << json;
}

TEST_F(RenderCommand, UsageErrorsExitOneAndUnreadableInputsExitTwoWithOneLine)
{
    const QString a4 = WritePicture("a4.emf", {0, 0, 21000, 29700});
    EXPECT_EQ(Render({a4}).exitCode, 1);                                           // no -o
    EXPECT_EQ(Render({"-o", Path("x.png")}).exitCode, 1);                          // no input
    EXPECT_EQ(Render({a4, "-o", Path("x.bmp")}).exitCode, 1);                      // format
    EXPECT_EQ(Render({a4, "--page", "0", "-o", Path("x.png")}).exitCode, 1);
    EXPECT_EQ(Render({a4, "--page", "1", "--all", "-o", Path("x.pdf")}).exitCode, 1);
    EXPECT_EQ(Render({a4, "--all", "-o", Path("x.png")}).exitCode, 1);            // no %d
    EXPECT_EQ(Render({a4, "--width", "80", "--dpi", "96", "-o", Path("x.png")}).exitCode, 1);
    EXPECT_EQ(Render({a4, "--width", "-3", "-o", Path("x.png")}).exitCode, 1);
    EXPECT_EQ(Render({a4, "--bogus", "-o", Path("x.png")}).exitCode, 1);

    auto oneLineNaming = [](const RunResult& run, const QString& file) {
        return run.exitCode == 2 && std::count(run.err.begin(), run.err.end(), '\n') == 1 &&
               run.err.find(file.toStdString()) != std::string::npos;
    };
    const QString missing = Path("missing.emf");
    EXPECT_TRUE(oneLineNaming(Render({missing, "-o", Path("x.png")}), missing));
    const QString garbage = Path("garbage.emf");
    std::ofstream(garbage.toStdString()) << "this is not a picture at all, nor a report";
    EXPECT_TRUE(oneLineNaming(Render({garbage, "-o", Path("x.png")}), garbage));
    EXPECT_TRUE(oneLineNaming(Render({a4, "--page", "2", "-o", Path("x.png")}), a4));
    const QString report = WriteReport("one.QRP", {{0, 0, 21000, 29700}});
    EXPECT_TRUE(oneLineNaming(Render({report, "--page", "2", "-o", Path("x.png")}), report));
    QFile cut(report);  // a report cut short: its last page no longer reads
    ASSERT_TRUE(cut.resize(cut.size() - 10));
    EXPECT_TRUE(oneLineNaming(Render({report, "-o", Path("x.png")}), report));
    // A damaged EMF: its EOF record's size no longer fits.
    QFile damaged(WritePicture("damaged.emf", {0, 0, 1000, 1000}));
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.seek(damaged.size() - 16);
    damaged.write("\xff\xff\x00\x00", 4);
    damaged.close();
    EXPECT_TRUE(oneLineNaming(Render({damaged.fileName(), "-o", Path("x.png")}), damaged.fileName()));
    EXPECT_FALSE(QFile::exists(Path("x.png")));
    // An output that cannot be written.
    EXPECT_EQ(Render({a4, "-o", Path("no/such/dir/x.png")}).exitCode, 2);
}

}  // namespace
