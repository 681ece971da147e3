// qrptool's parts: the program runs its own commands alone and loads the module of a
// drawing or printing command only for that command.
#include "testsupport/files.h"
#include "testsupport/reports.h"
#include "tools/convert_tests/tool_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>

#include <algorithm>
#include <filesystem>

namespace qrptool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

RunResult RunProgramAt(const fs::path& program, const QStringList& args)
{
    QProcess process;
    process.start(QString::fromStdString(program.string()), args);
    RunResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

TEST(CommandPartsTest, EveryCommandOfEveryPartAnswersHelp)
{
    for (const char* name : {"info", "extract", "pack", "render", "convert", "print", "printers", "thumbnail"}) {
        const RunResult r = RunQrptool({"help", name});
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
        EXPECT_THAT(r.out, HasSubstr(std::string("Usage: qrptool ") + name)) << name;
    }
}

TEST(CommandPartsTest, ProgramWithoutItsModulesRunsItsOwnCommandsAndNamesTheMissingModule)
{
    ScratchFolder scratch;
    const fs::path alone = scratch / "qrptool";
    fs::copy_file(QRPTOOL_PATH, alone);
    qrp::testsupport::WriteLabelledA4Report(scratch / "laudo.QRP", 2);

    RunResult r = RunProgramAt(alone, {"--version"});
    EXPECT_EQ(r.exitCode, 0);
    r = RunProgramAt(alone, {"info", QString::fromStdString((scratch / "laudo.QRP").string())});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("2"));

    for (const char* name : {"render", "print"}) {
        r = RunProgramAt(alone, {name, "whatever.QRP"});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_THAT(r.err, HasSubstr(name == std::string("render") ? "qrptool_draw.so" : "qrptool_print.so"));
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    // Help still lists every command, the unavailable ones marked.
    r = RunProgramAt(alone, {"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.out, HasSubstr("  info      describe"));
    EXPECT_THAT(r.out, HasSubstr("  convert   (unavailable: "));
}

}  // namespace
}  // namespace qrptool::test
