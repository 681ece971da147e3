#include "platform/testing/cups_test_queue.h"

#include <cups/cups.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>

namespace qrp::testsupport {

namespace {

constexpr const char* kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

bool Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString Tool(const char* name)
{
    for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/sbin/"}) {
        const QString path = QString::fromLatin1(dir) + QString::fromLatin1(name);
        if (QFileInfo(path).isExecutable()) return path;
    }
    return QString::fromLatin1(name);
}

int ActiveJobs(const QString& queue)
{
    cups_job_t* jobs = nullptr;
    const QByteArray name = queue.toLocal8Bit();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, name.constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count, jobs);
    return count;
}

}  // namespace

std::optional<CupsTestQueue> CupsTestQueue::FromEnvironment()
{
    const char* server = std::getenv("CUPS_SERVER");
    const char* printer = std::getenv("QRP_TEST_PRINTER");
    const char* output = std::getenv("QRP_TEST_PRINTER_OUTPUT");
    if (!server || !*server || !printer || !*printer || !output || !*output) return std::nullopt;
    // Only a private server on a socket: never a shared one.
    if (server[0] != '/' || !QFileInfo::exists(QString::fromLocal8Bit(server))) return std::nullopt;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer, nullptr);
    if (!dest) return std::nullopt;
    cupsFreeDests(1, dest);
    CupsTestQueue queue;
    queue.FName = QString::fromLocal8Bit(printer);
    queue.FOutputDir = QString::fromLocal8Bit(output);
    return queue;
}

QString CupsTestQueue::UniqueTitle(const QString& stem)
{
    return QStringLiteral("qrp-%1-%2-%3")
        .arg(stem)
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate() % 1000000);
}

QString CupsTestQueue::WaitForOutput(const QString& title, int seconds) const
{
    const QDateTime deadline = QDateTime::currentDateTime().addSecs(seconds);
    while (QDateTime::currentDateTime() < deadline) {
        if (ActiveJobs(FName) == 0) {
            const QFileInfoList files =
                QDir(FOutputDir).entryInfoList({title + QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
            if (!files.isEmpty()) return files.front().absoluteFilePath();
        }
        QThread::msleep(100);
    }
    return QString();
}

std::optional<PdfFacts> CupsTestQueue::ReadPdf(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return std::nullopt;
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    PdfFacts facts;
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(text);
    const QRegularExpressionMatch rotation = QRegularExpression(QStringLiteral("Page rot:\\s+(-?\\d+)")).match(text);
    if (!pages.hasMatch() || !size.hasMatch()) return std::nullopt;
    facts.Pages = pages.captured(1).toInt();
    facts.WidthPt = size.captured(1).toDouble();
    facts.HeightPt = size.captured(2).toDouble();
    facts.Rotation = rotation.hasMatch() ? rotation.captured(1).toInt() : 0;
    return facts;
}

QImage CupsTestQueue::RenderFirstPage(const QString& path, int dpi)
{
    QTemporaryDir dir;
    if (!dir.isValid()) return QImage();
    const QString prefix = dir.filePath(QStringLiteral("page"));
    if (!Run(QStringLiteral("pdftoppm"), {"-q", "-r", QString::number(dpi), "-f", "1", "-l", "1", "-singlefile", "-png",
                                          path, prefix})) {
        return QImage();
    }
    return QImage(prefix + QStringLiteral(".png"));
}

bool CupsTestQueue::AddQueue(const QString& name) const
{
    return Run(Tool("lpadmin"), {"-p", name, "-E", "-v", "cups-pdf:/", "-P", kPpd}) &&
           Run(Tool("cupsenable"), {name});
}

bool CupsTestQueue::RejectJobs(const QString& name) const { return Run(Tool("cupsreject"), {name}); }

void CupsTestQueue::RemoveQueue(const QString& name) const { Run(Tool("lpadmin"), {"-x", name}); }

}  // namespace qrp::testsupport
