// The PDF queue of the private CUPS server that scripts/cups-test-server.sh starts for the
// tests (CUPS_SERVER, QRP_TEST_PRINTER, QRP_TEST_PRINTER_OUTPUT), and reading what it made.
//
//   const auto queue = qrp::testsupport::CupsTestQueue::FromEnvironment();
//   if (!queue) GTEST_SKIP() << qrp::testsupport::CupsTestQueue::kSkipReason;
#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace qrp::testsupport {

struct PdfFacts {
    int Pages = 0;
    double WidthPt = 0;   // first page, as pdfinfo gives it
    double HeightPt = 0;
    int Rotation = 0;     // first page's /Rotate
};

class CupsTestQueue {
public:
    static constexpr const char* kSkipReason =
        "no CUPS test server: scripts/test.sh starts one with scripts/cups-test-server.sh (needs root)";

    // The queue when the variables are set, the server answers and lists it.
    static std::optional<CupsTestQueue> FromEnvironment();

    const QString& Name() const { return FName; }

    // A job title no other run or test uses.
    static QString UniqueTitle(const QString& stem);
    // Waits until the queue has no active job and the PDF named after `title` is there;
    // its path, or empty after `seconds`.
    QString WaitForOutput(const QString& title, int seconds = 60) const;
    // Page count, first page size and rotation through pdfinfo; nullopt when it fails.
    static std::optional<PdfFacts> ReadPdf(const QString& path);
    // The first page as pdftoppm renders it (rotation applied); a null image on failure.
    static QImage RenderFirstPage(const QString& path, int dpi = 20);

    // Makes another queue on the same server (removed by RemoveQueue); false on failure.
    bool AddQueue(const QString& name) const;
    bool RejectJobs(const QString& name) const;
    void RemoveQueue(const QString& name) const;

private:
    QString FName;
    QString FOutputDir;
};

}  // namespace qrp::testsupport
