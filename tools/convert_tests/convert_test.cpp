// qrptool convert end to end: the built program over folders of reports made by the
// project's writers, damaged reports and other files.
#include "testsupport/files.h"
#include "testsupport/reports.h"
#include "tools/convert_tests/tool_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace qrptool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr double kA4Width = 595.28;  // points
constexpr double kA4Height = 841.89;

void ExpectPageSizes(const fs::path& pdf, const std::vector<QSizeF>& expected)
{
    if (!HavePdfinfo()) return;
    const std::vector<QSizeF> sizes = PdfPageSizes(pdf);
    ASSERT_EQ(sizes.size(), expected.size()) << pdf;
    for (size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_NEAR(sizes[i].width(), expected[i].width(), 0.5) << pdf << " page " << i + 1;
        EXPECT_NEAR(sizes[i].height(), expected[i].height(), 0.5) << pdf << " page " << i + 1;
    }
}

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(in); }

    ScratchFolder scratch;
    fs::path in = scratch / "in";
    fs::path out = scratch / "out";
};

TEST_F(ConvertTest, FolderMixingReportsDamagedFilesAndOthersConvertsTheReportsAndListsTheRest)
{
    qrp::testsupport::WriteLabelledA4Report(in / "laudo.QRP", 2);
    fs::create_directories(in / "sub");
    qrp::testsupport::WriteLabelledReport(in / "sub" / "paisagem.qrp", {qrp::testsupport::LabelledPage{{0, 0, 29700, 21000}, u"Landscape"}});
    qrp::testsupport::WriteLabelledA4Report(in / "sub" / "comprimido.QRP", 3, true);
    // A folder named like a report is searched, not converted.
    fs::create_directories(in / "arquivo.QRP");
    qrp::testsupport::WriteLabelledA4Report(in / "arquivo.QRP" / "interno.QRP", 1);
    // Damaged: cut short, noise, empty.
    std::vector<uint8_t> cut = qrp::testsupport::ReadFile(in / "laudo.QRP");
    cut.resize(cut.size() - 10);
    qrp::testsupport::WriteFile(in / "cortado.QRP", cut);
    std::vector<uint8_t> noise(5000);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 % 251);
    qrp::testsupport::WriteFile(in / "ruido.qrp", noise);
    qrp::testsupport::WriteFile(in / "vazio.QRP", {});
    // Not reports by name: left alone.
    qrp::testsupport::WriteFile(in / "notas.txt", Text("not a report"));
    qrp::testsupport::WriteFile(in / "laudo.QRP.bak", cut);

    const RunResult r = RunQrptool({"convert", in.string(), "-o", out.string(), "-j", "2"});

    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Converted 4 of 7 reports (7 pages) into " + out.string()));
    EXPECT_THAT(r.err, HasSubstr("Skipped 3:\n"));
    EXPECT_THAT(r.err, HasSubstr("  " + (in / "cortado.QRP").string() + ": Stream read error\n"));
    EXPECT_THAT(r.err, HasSubstr("  " + (in / "vazio.QRP").string() + ": Stream read error\n"));
    EXPECT_THAT(r.err, HasSubstr("  " + (in / "ruido.qrp").string() + ": "));
    EXPECT_THAT(r.err, Not(HasSubstr("notas.txt")));
    EXPECT_THAT(r.err, Not(HasSubstr("\r"))) << "no progress bar when standard error is no terminal";

    // Only complete outputs, no temporary file left behind.
    // The folder's tree is kept.
    EXPECT_THAT(FolderNames(out), ElementsAre("arquivo.QRP", "laudo.pdf", "sub"));
    EXPECT_THAT(FolderNames(out / "sub"), ElementsAre("comprimido.pdf", "paisagem.pdf"));
    EXPECT_THAT(FolderNames(out / "arquivo.QRP"), ElementsAre("interno.pdf"));
    ExpectPageSizes(out / "laudo.pdf", {{kA4Width, kA4Height}, {kA4Width, kA4Height}});
    ExpectPageSizes(out / "sub" / "paisagem.pdf", {{kA4Height, kA4Width}});
    ExpectPageSizes(out / "sub" / "comprimido.pdf", {{kA4Width, kA4Height}, {kA4Width, kA4Height}, {kA4Width, kA4Height}});
}

TEST_F(ConvertTest, PdfKeepsTextAndLinesAsVectors)
{
    if (!HaveProgram("pdftotext") || !HaveProgram("pdfimages")) GTEST_SKIP() << "poppler-utils missing";
    qrp::testsupport::WriteLabelledReport(in / "laudo.QRP", {qrp::testsupport::LabelledPage{{0, 0, 21000, 29700}, u"Hemograma completo"}});
    const RunResult r = RunQrptool({"convert", in.string(), "-o", out.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path pdf = out / "laudo.pdf";
    // Glyphs stand where the picture's advances put them, which text extraction may read
    // as gaps: compare without white space.
    std::string text = RunProgram("pdftotext", {pdf.string(), "-"});
    text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }), text.end());
    EXPECT_THAT(text, HasSubstr("Hemogramacompleto"));
    // pdfimages -list prints its two heading lines and one line per image: none here.
    const std::string images = RunProgram("pdfimages", {"-list", pdf.string()});
    EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images;
}

TEST_F(ConvertTest, AllConvertedExitsZeroAndPngPagesHaveTheirResolution)
{
    qrp::testsupport::WriteLabelledA4Report(in / "laudo.QRP", 2);
    qrp::testsupport::WriteLabelledReport(in / "etiqueta.QRP", {qrp::testsupport::LabelledPage{{0, 0, 5080, 2540}, u"Etiqueta"}});

    const RunResult r = RunQrptool({"convert", (in / "laudo.QRP").string(), (in / "etiqueta.QRP").string(),
                                    "--output=" + out.string(), "--format", "png", "--dpi", "50"});

    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Converted 2 of 2 reports (3 pages)"));
    EXPECT_THAT(FolderNames(out), ElementsAre("etiqueta-1.png", "laudo-1.png", "laudo-2.png"));
    const QImage page(QString::fromStdString((out / "laudo-2.png").string()));
    EXPECT_EQ(page.size(), QSize(413, 585));  // A4 at 50 dpi
    EXPECT_NEAR(page.dotsPerMeterX() * 0.0254, 50, 0.5);
    EXPECT_EQ(page.pixelColor(2, 2), QColor(Qt::white)) << "pages are drawn on white paper";
    EXPECT_EQ(QImage(QString::fromStdString((out / "etiqueta-1.png").string())).size(), QSize(100, 50));
}

// Pixels neither near black nor near white: the grey levels of smoothed glyph edges.
int GreyPixels(const QImage& image)
{
    int grey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) grey += qGray(image.pixel(x, y)) > 40 && qGray(image.pixel(x, y)) < 215;
    return grey;
}

TEST_F(ConvertTest, PngPagesDrawSmoothTextUnlessGdiTextIsAsked)
{
    // Text of a 16-pixel em at 100 dpi: GDI draws it without grey levels.
    qrp::testsupport::WriteLabelledA4Report(in / "laudo.QRP", 1);
    for (const char* mode : {"", "smooth", "gdi"}) {
        std::vector<std::string> args = {"convert", (in / "laudo.QRP").string(), "-o", (out / mode).string(),
                                         "--format=png", "--dpi=100"};
        if (*mode) args.insert(args.end(), {"--text", mode});
        const RunResult r = RunQrptool(args);
        ASSERT_EQ(r.exitCode, 0) << mode << r.err;
    }
    auto grey = [&](const char* mode) { return GreyPixels(QImage(QString::fromStdString((out / mode / "laudo-1.png").string()))); };
    EXPECT_GT(grey(""), 100) << "smooth by default";
    EXPECT_EQ(grey(""), grey("smooth"));
    EXPECT_EQ(grey("gdi"), 0);

    RunResult r = RunQrptool({"convert", in.string(), "-o", out.string(), "--format=png", "--text", "cleartype"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_THAT(r.err, HasSubstr("unknown text mode 'cleartype' (gdi or smooth)"));
    r = RunQrptool({"convert", in.string(), "-o", out.string(), "--text=gdi"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_THAT(r.err, HasSubstr("--text draws PNG pages: it needs --format png"));
}

TEST_F(ConvertTest, WholeOutputIsKeptUnlessForced)
{
    qrp::testsupport::WriteLabelledA4Report(in / "laudo.QRP", 1);
    RunResult r = RunQrptool({"convert", (in / "laudo.QRP").string(), "-o", out.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<uint8_t> first = qrp::testsupport::ReadFile(out / "laudo.pdf");

    // A whole output in place counts as converted before: a resumed run is no error.
    r = RunQrptool({"convert", (in / "laudo.QRP").string(), "-o", out.string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.out, HasSubstr("Converted 0 of 1 report (0 pages)"));
    EXPECT_THAT(r.out, HasSubstr("1 report was already converted"));
    EXPECT_EQ(qrp::testsupport::ReadFile(out / "laudo.pdf"), first);

    qrp::testsupport::WriteFile(out / "laudo.pdf", Text("%PDF-1.4 but cut"));
    r = RunQrptool({"convert", (in / "laudo.QRP").string(), "-o", out.string(), "--force"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(FolderNames(out), ElementsAre("laudo.pdf"));
    ExpectPageSizes(out / "laudo.pdf", {{kA4Width, kA4Height}});
}

TEST_F(ConvertTest, AnOutputPlaceThatIsNoFileBlocksTheWholeReport)
{
    qrp::testsupport::WriteLabelledA4Report(in / "laudo.QRP", 2);
    fs::create_directories(out / "laudo-2.png");

    RunResult r = RunQrptool({"convert", in.string(), "-o", out.string(), "--format=png", "--dpi=20"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_THAT(r.err, HasSubstr("laudo-2.png exists and is not a regular file"));
    EXPECT_THAT(FolderNames(out), ElementsAre("laudo-2.png")) << "no partial set of pages";
    EXPECT_TRUE(fs::is_directory(out / "laudo-2.png"));

    // A file that is no PNG in a page's place is an incomplete set: drawn again.
    fs::remove(out / "laudo-2.png");
    qrp::testsupport::WriteFile(out / "laudo-2.png", Text("keep me"));
    r = RunQrptool({"convert", in.string(), "-o", out.string(), "--format=png", "--dpi=20"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(FolderNames(out), ElementsAre("laudo-1.png", "laudo-2.png"));
    EXPECT_FALSE(QImage(QString::fromStdString((out / "laudo-2.png").string())).isNull());
}

TEST_F(ConvertTest, ReportsGivingTheSameOutputNameDoNotOverwriteEachOther)
{
    fs::create_directories(in / "a");
    fs::create_directories(in / "b");
    qrp::testsupport::WriteLabelledA4Report(in / "a" / "laudo.QRP", 1);
    qrp::testsupport::WriteLabelledA4Report(in / "b" / "laudo.qrp", 2);

    // Named twice (directly and through its folder), a report is converted once; reports
    // named directly go to the top of the output folder, where the names meet.
    const RunResult r = RunQrptool({"convert", (in / "a").string(), (in / "a" / "laudo.QRP").string(),
                                    (in / "b" / "laudo.qrp").string(), "-o", out.string(), "--force"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_THAT(r.out, HasSubstr("Converted 1 of 2 reports (1 page)"));
    EXPECT_THAT(r.err, HasSubstr((in / "b" / "laudo.qrp").string() + ": same output name as " +
                                 (in / "a" / "laudo.QRP").string() + "\n"));
    ExpectPageSizes(out / "laudo.pdf", {{kA4Width, kA4Height}});
}

TEST_F(ConvertTest, MissingInputsAndEmptyFolders)
{
    qrp::testsupport::WriteLabelledA4Report(in / "laudo.QRP", 1);
    RunResult r = RunQrptool({"convert", (in / "laudo.QRP").string(), (in / "falta.QRP").string(), "-o", out.string()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_THAT(r.err, HasSubstr((in / "falta.QRP").string() + ": no such file or folder\n"));
    EXPECT_THAT(FolderNames(out), ElementsAre("laudo.pdf"));

    fs::create_directories(scratch / "vazia");
    r = RunQrptool({"convert", (scratch / "vazia").string(), "-o", (scratch / "out2").string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.err, HasSubstr("no report files found"));
}

TEST_F(ConvertTest, BadArgumentsAreUsageErrorsInOneLine)
{
    const std::vector<std::vector<std::string>> bad = {
        {"convert", in.string()},                                  // no -o
        {"convert", "-o", out.string()},                           // no input
        {"convert", in.string(), "-o", out.string(), "-j", "0"},  // jobs out of range
        {"convert", in.string(), "-o", out.string(), "-j", "x"},
        {"convert", in.string(), "-o", out.string(), "--format", "gif"},
        {"convert", in.string(), "-o", out.string(), "--dpi", "5"},
        {"convert", in.string(), "-o", out.string(), "--frobnicate"},
        {"convert", in.string(), "-o"},
    };
    for (const auto& args : bad) {
        const RunResult r = RunQrptool(args);
        EXPECT_EQ(r.exitCode, 1) << args.back();
        EXPECT_THAT(r.err, ::testing::StartsWith("qrptool convert: ")) << args.back();
        EXPECT_THAT(r.err.substr(0, r.err.find('\n')), Not(IsEmpty()));
        EXPECT_THAT(r.err, HasSubstr("Usage: qrptool convert")) << "the usage follows the error";
    }
    EXPECT_FALSE(fs::exists(out)) << "nothing is made on a usage error";
}

TEST_F(ConvertTest, InterruptLeavesOnlyCompleteOutputs)
{
    qrp::testsupport::WriteLabelledA4Report(scratch / "laudo.QRP", 3);
    for (int i = 1; i <= 150; ++i) fs::copy_file(scratch / "laudo.QRP", in / ("laudo" + std::to_string(i) + ".QRP"));
    QProcess process;
    process.start(QStringLiteral(QRPTOOL_PATH),
                  {QStringLiteral("convert"), QString::fromStdString(in.string()), QStringLiteral("-o"),
                   QString::fromStdString(out.string())});
    ASSERT_TRUE(process.waitForStarted());
    while (process.state() == QProcess::Running && FolderNames(out).empty()) process.waitForFinished(5);
    process.terminate();  // SIGTERM, handled like Ctrl+C
    ASSERT_TRUE(process.waitForFinished(120000));
    if (process.exitCode() == 0) GTEST_SKIP() << "finished before the interrupt";

    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_THAT(process.readAllStandardError().toStdString(), HasSubstr("Interrupted: "));
    const std::vector<std::string> names = FolderNames(out);
    EXPECT_LT(names.size(), 150u);
    for (const std::string& name : names) {
        EXPECT_NE(name[0], '.') << "temporary file left: " << name;
        if (HavePdfinfo()) {
            EXPECT_EQ(PdfPageSizes(out / name).size(), 3u) << name;
        }
    }
}

TEST_F(ConvertTest, HelpAndVersion)
{
    RunResult r = RunQrptool({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.out, HasSubstr("\n  convert "));
    r = RunQrptool({"convert", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.out, ::testing::StartsWith("Usage: qrptool convert INPUT... -o OUTDIR"));
    r = RunQrptool({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.out, ::testing::MatchesRegex("qrptool [0-9]+\\.[0-9]+\\.[0-9]+\n"));
}

TEST_F(ConvertTest, ProgressBarOnATerminal)
{
    for (int i = 1; i <= 3; ++i) qrp::testsupport::WriteLabelledA4Report(in / ("laudo" + std::to_string(i) + ".QRP"), 1);
    const RunResult r = RunQrptoolOnTerminal({"convert", in.string(), "-o", out.string()});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_THAT(r.out, HasSubstr("] 3/3"));
    EXPECT_THAT(r.out, HasSubstr("\r"));
    EXPECT_THAT(r.out, HasSubstr("Converted 3 of 3 reports"));
}

}  // namespace
}  // namespace qrptool::test
