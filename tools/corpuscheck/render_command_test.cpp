// `qrptool render` driven as a user drives it: a process with arguments, files out, an exit
// status and one line of error.
#include "emf/emf_writer.h"

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
};

RunResult Render(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(QRPTOOL_PATH), QStringList{"render"} + args);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardError().toStdString()};
}

class RenderCommand : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return FDir.filePath(name); }

    // A picture with the given frame and one black rectangle over it.
    QString WritePicture(const QString& name, const RectL& frame)
    {
        EmfWriterOptions options;
        options.frame = frame;
        EmfWriter writer(options);
        writer.Rectangle({frame.left / 100, frame.top / 100, frame.right / 100, frame.bottom / 100});
        const std::vector<uint8_t> bytes = writer.Finish();
        const QString path = Path(name);
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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
    const QString a4 = WritePicture("a4.emf", {0, 0, 21000, 29700});
    ASSERT_EQ(Render({a4, "--all", "-o", Path("page-%03d.png")}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(Path("page-001.png")));
    ASSERT_EQ(Render({a4, "--all", "-o", Path("p%d.svg")}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(Path("p1.svg")));

    ASSERT_EQ(Render({a4, "--all", "-o", Path("all.pdf")}).exitCode, 0);
    QFile pdf(Path("all.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    // 210 x 297 mm in whole points.
    EXPECT_TRUE(QRegularExpression(R"(/MediaBox \[0 0 595(\.0*)? 842(\.0*)?\])").match(QString::fromLatin1(bytes)).hasMatch());
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
