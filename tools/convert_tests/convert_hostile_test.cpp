// qrptool convert over hostile report files: every cut of a report, links that loop or
// lead outside the file, absurd page counts and picture frames. Each is skipped with a
// reason, nothing is left in the output folder, and the run ends.
#include "testsupport/files.h"
#include "testsupport/reports.h"
#include "tools/convert_tests/tool_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace qrptool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(ConvertHostileTest, EveryCutOfAReportIsSkipped)
{
    ScratchFolder scratch;
    const fs::path in = scratch / "in";
    fs::create_directories(in);
    qrp::testsupport::WriteLabelledA4Report(scratch / "laudo.QRP", 2);
    const std::vector<uint8_t> whole = qrp::testsupport::ReadFile(scratch / "laudo.QRP");
    // Cuts inside the header, the first record's fields, the picture, the links; and one
    // byte short of the end.
    std::vector<size_t> cuts = {0, 1, 96, 127, 128, 135, 136, 175, 176, 180, 243, 300};
    for (size_t step = whole.size() / 9, n = 400; n < whole.size(); n += step) cuts.push_back(n);
    cuts.push_back(whole.size() - 4);
    cuts.push_back(whole.size() - 1);
    for (size_t n : cuts) {
        qrp::testsupport::WriteFile(in / ("cut" + std::to_string(n) + ".QRP"), {whole.begin(), whole.begin() + static_cast<long>(n)});
    }

    const RunResult r = RunQrptool({"convert", in.string(), "-o", (scratch / "out").string(), "-j", "2"});

    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Converted 0 of " + std::to_string(cuts.size()) + " reports"));
    for (size_t n : cuts) EXPECT_THAT(r.err, HasSubstr("cut" + std::to_string(n) + ".QRP: ")) << n;
    EXPECT_THAT(FolderNames(scratch / "out"), IsEmpty());
}

TEST(ConvertHostileTest, DamagedLinksCountsAndFramesAreSkippedWithAReason)
{
    ScratchFolder scratch;
    const fs::path in = scratch / "in";
    fs::create_directories(in);
    qrp::testsupport::WriteLabelledA4Report(scratch / "laudo.QRP", 2);
    const std::vector<uint8_t> whole = qrp::testsupport::ReadFile(scratch / "laudo.QRP");
    const uint32_t secondRecord = static_cast<uint32_t>(whole[whole.size() - 4]) |
                                  static_cast<uint32_t>(whole[whole.size() - 3]) << 8 |
                                  static_cast<uint32_t>(whole[whole.size() - 2]) << 16 |
                                  static_cast<uint32_t>(whole[whole.size() - 1]) << 24;

    std::vector<uint8_t> bytes = whole;
    Put32(bytes, 8, 0x7fffffff);  // page count far beyond the records
    qrp::testsupport::WriteFile(in / "contagem.QRP", bytes);

    bytes = whole;
    Put32(bytes, 132, 128);  // the first record's forward link points at itself
    Put32(bytes, 8, 3);
    qrp::testsupport::WriteFile(in / "laco.QRP", bytes);

    bytes = whole;
    Put32(bytes, bytes.size() - 4, 0x7ffffff0);  // the final back link leads outside the file
    qrp::testsupport::WriteFile(in / "fora.QRP", bytes);

    bytes = whole;
    Put32(bytes, secondRecord, 7);  // the second record claims to be page 7
    qrp::testsupport::WriteFile(in / "numero.QRP", bytes);

    // Frames no page can have: empty, and kilometres wide.
    qrp::testsupport::WriteLabelledReport(in / "vazio.QRP", {qrp::testsupport::LabelledPage{{0, 0, 0, 0}, u"x"}});
    qrp::testsupport::WriteLabelledReport(in / "enorme.QRP", {qrp::testsupport::LabelledPage{{0, 0, 2000000000, 29700}, u"x"}});

    for (const char* format : {"pdf", "png"}) {
        const fs::path out = scratch / (std::string("out-") + format);
        const RunResult r = RunQrptool({"convert", in.string(), "-o", out.string(), "--format", format});
        EXPECT_EQ(r.exitCode, 3) << format << r.err;
        EXPECT_THAT(r.out, HasSubstr("Converted 0 of 6 reports")) << format;
        for (const char* name : {"contagem", "laco", "fora", "numero", "vazio", "enorme"}) {
            EXPECT_THAT(r.err, HasSubstr((in / (std::string(name) + ".QRP")).string() + ": ")) << format;
        }
        EXPECT_THAT(r.err, HasSubstr("vazio.QRP: page 1: empty picture frame"));
        EXPECT_THAT(r.err, HasSubstr("enorme.QRP: page 1: picture frame too large"));
        EXPECT_THAT(FolderNames(out), IsEmpty()) << format;
    }
}

}  // namespace
}  // namespace qrptool::test
