// The report MIME type as the desktop sees it: the definition compiled into a scratch MIME
// database, then files recognised by name and, without a telling name, by content.
#include "emf/emf_writer.h"
#include "testsupport/reports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr const char* kReportType = "application/x-qrp-report";

QTemporaryDir* gData = nullptr;  // the scratch data folder holding mime/

std::vector<uint8_t> PagePicture()
{
    qrp::emf::EmfWriter w;
    w.Rectangle({10, 10, 200, 100});
    return w.Finish();
}

QString WriteReport(const QString& name, bool compressed)
{
    const QString path = gData->filePath(name);
    qrp::testsupport::WriteReport(path.toStdString(), {PagePicture(), PagePicture()}, compressed);
    return path;
}

QString WriteFile(const QString& name, const QByteArray& bytes)
{
    const QString path = gData->filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QString ContentType(const QString& path)
{
    return QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchContent).name();
}

TEST(MimeMagicTest, ReportsAreKnownByName)
{
    const QMimeDatabase db;
    EXPECT_EQ(db.mimeTypeForFile(QStringLiteral("laudo.QRP"), QMimeDatabase::MatchExtension).name(), kReportType);
    EXPECT_EQ(db.mimeTypeForFile(QStringLiteral("laudo.qrp"), QMimeDatabase::MatchExtension).name(), kReportType);
    EXPECT_EQ(db.mimeTypeForName(kReportType).comment().isEmpty(), false);
}

TEST(MimeMagicTest, ReportsWithoutATellingNameAreKnownByContent)
{
    EXPECT_EQ(ContentType(WriteReport(QStringLiteral("plain-report"), false)), kReportType);
    EXPECT_EQ(ContentType(WriteReport(QStringLiteral("compressed-report"), true)), kReportType);
}

TEST(MimeMagicTest, OtherContentIsNotAReport)
{
    const std::vector<uint8_t> emf = PagePicture();
    EXPECT_NE(ContentType(WriteFile(QStringLiteral("picture"),
                                    QByteArray(reinterpret_cast<const char*>(emf.data()), static_cast<qsizetype>(emf.size())))),
              kReportType);
    // The header words alone, with neither a picture nor the compressed header behind them.
    QByteArray header(300, '\0');
    header[0] = 3;
    header[2] = 50;
    EXPECT_NE(ContentType(WriteFile(QStringLiteral("header-only"), header)), kReportType);
    EXPECT_NE(ContentType(WriteFile(QStringLiteral("text"), QByteArray(400, 'H'))), kReportType);
}

}  // namespace

int main(int argc, char** argv)
{
    // The definition goes into a scratch data folder searched before the system's, before
    // anything asks Qt for MIME types.
    QTemporaryDir data;
    gData = &data;
    const QString source = qEnvironmentVariable("QRP_SOURCE_DIR", QStringLiteral(QRP_SOURCE_DIR_DEFAULT));
    QDir().mkpath(data.filePath(QStringLiteral("share/mime/packages")));
    if (!QFile::copy(source + QStringLiteral("/packaging/qrpview-mime.xml"),
                     data.filePath(QStringLiteral("share/mime/packages/qrpview.xml")))) {
        std::fprintf(stderr, "cannot copy the MIME definition from %s\n", qPrintable(source));
        return 1;
    }
    qputenv("XDG_DATA_HOME", data.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_DATA_DIRS", (data.filePath(QStringLiteral("share")) + QStringLiteral(":/usr/share")).toUtf8());
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        // As a package installation does; without it Qt reads the XML itself.
        QProcess::execute(QStringLiteral("update-mime-database"), {data.filePath(QStringLiteral("share/mime"))});
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
