#include "tools/convert_tests/tool_runner.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace qrptool::test {

namespace fs = std::filesystem;

namespace {

QStringList ToQt(const std::vector<std::string>& args)
{
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    return list;
}

}  // namespace

RunResult RunQrptool(const std::vector<std::string>& args)
{
    QProcess process;
    process.setProgram(QStringLiteral(QRPTOOL_PATH));
    process.setArguments(ToQt(args));
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    RunResult result;
    if (!process.waitForStarted(30000) || !process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        result.err = "qrptool did not finish";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

RunResult RunQrptoolOnTerminal(const std::vector<std::string>& args)
{
    std::vector<std::string> argvStrings = {QRPTOOL_PATH};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    int master = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 100;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) throw std::runtime_error("forkpty failed");
    if (pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    RunResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) break;  // EIO once the child has closed the terminal
        result.out.append(buffer, static_cast<size_t>(n));
    }
    ::close(master);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> FolderNames(const fs::path& folder)
{
    std::vector<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool HavePdfinfo() { return HaveProgram("pdfinfo"); }

bool HaveProgram(const char* name) { return !QStandardPaths::findExecutable(QString::fromUtf8(name)).isEmpty(); }

std::string RunProgram(const char* name, const std::vector<std::string>& args)
{
    QProcess process;
    process.start(QString::fromUtf8(name), ToQt(args));
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return {};
    }
    return process.readAllStandardOutput().toStdString();
}

std::vector<QSizeF> PdfPageSizes(const fs::path& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"),
                  {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("9999"),
                   QString::fromStdString(pdf.string())});
    std::vector<QSizeF> sizes;
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return sizes;
    static const QRegularExpression pageSize(QStringLiteral(R"(^Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"),
                                             QRegularExpression::MultilineOption);
    auto it = pageSize.globalMatch(QString::fromUtf8(process.readAllStandardOutput()));
    while (it.hasNext()) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

ScratchFolder::ScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "qrp-convert-test.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(FPath, ignored);
}

}  // namespace qrptool::test
