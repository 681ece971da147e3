// qrptool convert over an archive: folder trees kept, shards run at once into one folder,
// a second run that converts only what is missing, the JSON log, PDF/A output.
#include "testsupport/files.h"
#include "testsupport/reports.h"
#include "tools/convert_tests/tool_runner.h"
#include "tools/qrptool/pdfa_metadata.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QXmlStreamReader>

#include <fstream>
#include <map>
#include <memory>

namespace qrptool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

// Every file below folder, relative, sorted.
std::vector<std::string> Tree(const fs::path& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<QJsonObject> LogLines(const fs::path& log)
{
    std::vector<QJsonObject> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        EXPECT_TRUE(doc.isObject()) << line;
        lines.push_back(doc.object());
    }
    return lines;
}

class ConvertArchiveTest : public ::testing::Test {
protected:
    // An archive with a tree, the same name in several folders, and a damaged report.
    void SetUp() override
    {
        const char* folders[] = {"2019/03", "2019/04", "2020/01", "2020/01/extra", ""};
        int n = 0;
        for (const char* folder : folders) {
            fs::create_directories(archive / folder);
            for (int k = 1; k <= 3; ++k, ++n) {
                const std::u16string text = u"Paciente " + std::u16string(1, static_cast<char16_t>(u'A' + n));
                qrp::testsupport::WriteLabelledReport(
                    archive / folder / ("laudo" + std::to_string(k) + ".QRP"),
                    std::vector<qrp::testsupport::LabelledPage>(static_cast<size_t>(1 + n % 3),
                                                                qrp::testsupport::LabelledPage{{0, 0, 21000, 29700}, text}));
            }
        }
        qrp::testsupport::WriteFile(archive / "2019" / "cortado.QRP", {'Q', 'R', 'P'});
    }

    ScratchFolder scratch;
    fs::path archive = scratch / "archive";
};

TEST_F(ConvertArchiveTest, FolderTreeIsKeptAndSameNamesInOtherFoldersDoNotCollide)
{
    const RunResult r = RunQrptool({"convert", archive.string(), "-o", (scratch / "out").string()});
    EXPECT_EQ(r.exitCode, 3) << r.err;  // the damaged report
    EXPECT_THAT(r.out, HasSubstr("Converted 15 of 16 reports"));
    const std::vector<std::string> tree = Tree(scratch / "out");
    EXPECT_EQ(tree.size(), 15u);
    EXPECT_THAT(tree, ::testing::Contains("2019/03/laudo1.pdf"));
    EXPECT_THAT(tree, ::testing::Contains("2020/01/extra/laudo3.pdf"));
    EXPECT_THAT(tree, ::testing::Contains("laudo2.pdf"));
}

TEST_F(ConvertArchiveTest, ShardsRunAtOnceIntoOneFolderEqualOneRun)
{
    const fs::path single = scratch / "single";
    const fs::path shared = scratch / "shared";
    RunResult r = RunQrptool({"convert", archive.string(), "-o", single.string(), "--log", (scratch / "single.log").string()});
    ASSERT_EQ(r.exitCode, 3) << r.err;

    constexpr int kShards = 3;
    std::vector<std::unique_ptr<QProcess>> shards;
    for (int k = 0; k < kShards; ++k) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(QRPTOOL_PATH),
                       {"convert", QString::fromStdString(archive.string()), "-o", QString::fromStdString(shared.string()),
                        "--log", QString::fromStdString((scratch / "shards.log").string()), "--shard",
                        QStringLiteral("%1/%2").arg(k).arg(kShards)});
        shards.push_back(std::move(process));
    }
    for (auto& process : shards) {
        ASSERT_TRUE(process->waitForFinished(300000));
        EXPECT_THAT(process->exitCode(), ::testing::AnyOf(0, 3)) << process->readAllStandardError().toStdString();
    }

    // The same files, nothing left behind by a worker.
    ASSERT_EQ(Tree(shared), Tree(single));
    // Every report handled by exactly one shard, converted once.
    std::map<QString, int> seen;
    for (const QJsonObject& line : LogLines(scratch / "shards.log")) {
        ++seen[line["input"].toString()];
        if (line["status"] == QStringLiteral("refused")) EXPECT_THAT(line["input"].toString().toStdString(), HasSubstr("cortado"));
        else EXPECT_EQ(line["status"].toString(), QStringLiteral("converted"));
    }
    EXPECT_EQ(seen.size(), 16u);
    for (const auto& [input, count] : seen) EXPECT_EQ(count, 1) << input.toStdString();
    // Same page counts and the same text.
    const bool poppler = HavePdfinfo() && HaveProgram("pdftotext");
    for (const std::string& file : Tree(single)) {
        if (!poppler) break;
        EXPECT_EQ(PdfPageSizes(shared / file).size(), PdfPageSizes(single / file).size()) << file;
        EXPECT_EQ(RunProgram("pdftotext", {(shared / file).string(), "-"}),
                  RunProgram("pdftotext", {(single / file).string(), "-"}))
            << file;
    }
}

// Whether a file holds a whole PDF: its header first, its end-of-file marker last.
bool WholePdf(const fs::path& file)
{
    const std::vector<uint8_t> bytes = qrp::testsupport::ReadFile(file);
    const std::string text(bytes.begin(), bytes.end());
    return text.starts_with("%PDF-") && text.find("%%EOF", text.size() > 16 ? text.size() - 16 : 0) != std::string::npos;
}

TEST_F(ConvertArchiveTest, SecondRunConvertsWhatIsMissingOrIncompleteAndSaysSo)
{
    const fs::path out = scratch / "out";
    const fs::path log = scratch / "run.log";
    ASSERT_EQ(RunQrptool({"convert", archive.string(), "-o", out.string()}).exitCode, 3);
    fs::remove(archive / "2019" / "cortado.QRP");
    // What a crash or another program leaves: nothing, an empty file, a cut one, another
    // kind of file; and a link, which is never replaced.
    fs::remove(out / "2019" / "04" / "laudo2.pdf");
    fs::resize_file(out / "2019" / "03" / "laudo1.pdf", 0);
    fs::resize_file(out / "2020" / "01" / "laudo2.pdf", fs::file_size(out / "2020" / "01" / "laudo2.pdf") / 2);
    qrp::testsupport::WriteFile(out / "2020" / "01" / "extra" / "laudo3.pdf", {'n', 'o', 't', ' ', 'P', 'D', 'F'});
    fs::remove(out / "laudo3.pdf");
    fs::create_symlink("laudo1.pdf", out / "laudo3.pdf");
    const auto before = fs::last_write_time(out / "laudo1.pdf");

    RunResult r = RunQrptool({"convert", archive.string(), "-o", out.string(), "--log", log.string(), "-j", "2"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Converted 4 of 15 reports"));
    EXPECT_THAT(r.out, HasSubstr("10 reports were already converted"));
    EXPECT_THAT(r.err, HasSubstr("laudo3.pdf exists and is not a regular file"));
    for (const char* redone : {"2019/04/laudo2.pdf", "2019/03/laudo1.pdf", "2020/01/laudo2.pdf", "2020/01/extra/laudo3.pdf"})
        EXPECT_TRUE(WholePdf(out / redone)) << redone;
    EXPECT_EQ(fs::last_write_time(out / "laudo1.pdf"), before);
    EXPECT_TRUE(fs::is_symlink(out / "laudo3.pdf"));
    std::map<QString, int> statuses;
    for (const QJsonObject& line : LogLines(log)) {
        ++statuses[line["status"].toString()];
        if (line["status"] == QStringLiteral("converted")) {
            EXPECT_GT(line["pages"].toInt(), 0);
            EXPECT_TRUE(line["damage"].isArray());
        }
    }
    EXPECT_EQ(statuses, (std::map<QString, int>{{"converted", 4}, {"skipped-exists", 10}, {"refused", 1}}));

    // PNG pages likewise: a set with a page cut short is drawn again.
    const fs::path report = archive / "2019" / "03" / "laudo2.QRP";
    ASSERT_EQ(RunQrptool({"convert", report.string(), "-o", (scratch / "png").string(), "--format", "png"}).exitCode, 0);
    const fs::path page = scratch / "png" / "laudo2-1.png";
    const std::vector<uint8_t> whole = qrp::testsupport::ReadFile(page);
    fs::resize_file(page, whole.size() - 1);
    r = RunQrptool({"convert", report.string(), "-o", (scratch / "png").string(), "--format", "png"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Converted 1 of 1 report"));
    EXPECT_EQ(qrp::testsupport::ReadFile(page), whole);
    r = RunQrptool({"convert", report.string(), "-o", (scratch / "png").string(), "--format", "png"});
    EXPECT_THAT(r.out, HasSubstr("1 report was already converted"));
}

TEST_F(ConvertArchiveTest, PdfaDeclaresItsConformanceEmbedsFontsAndNamesTheReport)
{
    if (!HavePdfinfo() || !HaveProgram("pdffonts")) GTEST_SKIP() << "poppler-utils missing";
    const fs::path out = scratch / "out";
    ASSERT_EQ(RunQrptool({"convert", (archive / "2019" / "03" / "laudo2.QRP").string(), "-o", out.string(), "--pdfa"}).exitCode, 0);
    const std::string meta = RunProgram("pdfinfo", {"-meta", (out / "laudo2.pdf").string()});
    EXPECT_THAT(meta, HasSubstr("pdfaid:part=\"1\""));
    EXPECT_THAT(meta, HasSubstr("pdfaid:conformance=\"B\""));
    EXPECT_THAT(meta, HasSubstr(">laudo2.QRP<"));
    EXPECT_THAT(meta, HasSubstr("xmp:CreatorTool=\"qrpview\""));
    EXPECT_THAT(meta, HasSubstr("xmpTPg:NPages=\"2\""));
    // The packet's dates are the document information's, to the second.
    const std::string info = RunProgram("pdfinfo", {"-isodates", (out / "laudo2.pdf").string()});
    const size_t created = info.find("CreationDate:");
    ASSERT_NE(created, std::string::npos) << info;
    const std::string second = info.substr(info.find_first_not_of(' ', created + 13), 19);
    EXPECT_THAT(meta, HasSubstr("xmp:CreateDate=\"" + second));
    const std::string fonts = RunProgram("pdffonts", {(out / "laudo2.pdf").string()});
    EXPECT_THAT(fonts, HasSubstr("Liberation"));
    EXPECT_THAT(fonts, Not(HasSubstr("Identity-H       no")));  // every font embedded
}

TEST(PdfaMetadataTest, DatesCarryTheirZoneAndTextsAreXml)
{
    const QDate day(2024, 5, 17);
    const QTime time(9, 30, 5);
    for (const auto& [offset, expected] : std::vector<std::pair<int, QString>>{
             {0, "2024-05-17T09:30:05Z"}, {-3 * 3600, "2024-05-17T09:30:05-03:00"}, {19800, "2024-05-17T09:30:05+05:30"}})
        EXPECT_EQ(XmpDate(QDateTime(day, time, Qt::OffsetFromUTC, offset)), expected);

    const QString title = QStringLiteral("a&b <c> \"d\" 'e' %1\x01\U0001F600.QRP");
    const QByteArray packet = PdfaXmpPacket({title, "qrpview", "Qt 6", 7, QDateTime(day, time, Qt::UTC)});
    QXmlStreamReader xml(packet);
    QString titleRead;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("li")) titleRead = xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(titleRead, QStringLiteral("a&b <c> \"d\" 'e' %1\U0001F600.QRP"));  // the control character dropped
    EXPECT_TRUE(packet.contains("xmpTPg:NPages=\"7\""));
    EXPECT_TRUE(packet.contains("xmp:CreateDate=\"2024-05-17T09:30:05Z\""));
}

TEST_F(ConvertArchiveTest, BadArchiveOptionsAreUsageErrors)
{
    const std::string out = (scratch / "out").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--shard", "3/3"}, {"--shard", "1"}, {"--shard", "-1/2"}, {"--shard", "0/0"},
             {"--pdfa", "--format", "png"}, {"--log", archive.string()}}) {
        std::vector<std::string> all = {"convert", archive.string(), "-o", out};
        all.insert(all.end(), args.begin(), args.end());
        const RunResult r = RunQrptool(all);
        EXPECT_EQ(r.exitCode, 1) << args.back();
    }
    // The log never overwrites a report.
    const RunResult r = RunQrptool({"convert", archive.string(), "-o", out, "--log", (archive / "laudo1.QRP").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(fs::file_size(archive / "laudo1.QRP") > 3, true);
    EXPECT_FALSE(fs::exists(out + "/laudo1.pdf"));
}

}  // namespace
}  // namespace qrptool::test
