// qrptool printers: every installed printer with the settings the report printer reads
// from it.
#include "tools/qrptool/command.h"
#include "tools/qrptool/qt_start.h"

#include "platform/printer.h"
#include "printer/printer_settings.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace qrptool {
namespace {

int RunPrinters(const std::vector<std::string>& args);

}  // namespace

extern const Command kPrintersCommand = {
    "printers",
    "list the printers with the settings read from each",
    "Usage: qrptool printers [--json]\n"
    "\n"
    "Lists every installed printer (the system's default marked) with what the report\n"
    "printer reads from it: paper size and its width and length in 0.1 mm, resolution,\n"
    "unprintable offsets in 0.1 mm, copies, bin, duplex and the supported paper sizes.\n"
    "  --json     one JSON document on standard output\n",
    RunPrinters,
};

namespace {

struct PrinterReport {
    QString name;
    bool isDefault = false;
    bool readable = false;  // the settings were read
    QString driver;
    QString port;
    QString paperSize;
    int paperWidth = 0;
    int paperLength = 0;
    int pixelsPerX = 0;
    int pixelsPerY = 0;
    int leftOffset = 0;
    int topOffset = 0;
    int copies = 0;
    QString bin;
    bool duplex = false;
    int extendedDuplex = 0;
    QStringList sizes;
};

// Reads a printer as the report printer does: its default device mode through a settings
// object bound to a printer object selected on it.
PrinterReport Read(qrp::TPrinter& printer, int index, const QString& defaultName)
{
    PrinterReport report;
    report.name = printer.Printers()[index];
    report.isDefault = report.name == defaultName;
    try {
        printer.SetPrinterIndex(index);
        qrp::ResetDeviceMode(&printer);
    } catch (const std::exception&) {
        return report;
    }
    qrp::TPrinterSettings settings;
    settings.SetPrinter(&printer);
    report.readable = settings.Printer() != nullptr && settings.DevMode() != nullptr;
    if (!report.readable) return report;
    report.driver = settings.Driver();
    report.port = settings.Port();
    report.paperSize = QString::fromLatin1(qrp::PaperSizeName(settings.PaperSize()));
    report.paperWidth = settings.PaperWidth();
    report.paperLength = settings.PaperLength();
    report.pixelsPerX = settings.PixelsPerX();
    report.pixelsPerY = settings.PixelsPerY();
    report.leftOffset = settings.LeftOffset();
    report.topOffset = settings.TopOffset();
    report.copies = settings.Copies();
    report.bin = QString::fromLatin1(qrp::BinName(settings.OutputBin()));
    report.duplex = settings.Duplex();
    report.extendedDuplex = settings.ExtendedDuplex();
    for (int i = qrp::Ord(qrp::TQRPaperSize::Letter); i < qrp::kPaperSizeCount; ++i) {
        if (settings.GetPaperSizeSupported(qrp::PaperSizeAt(i))) {
            report.sizes.append(QString::fromLatin1(qrp::PaperSizeName(qrp::PaperSizeAt(i))));
        }
    }
    return report;
}

QJsonObject ToJson(const PrinterReport& r)
{
    QJsonObject o{{"name", r.name}, {"default", r.isDefault}, {"readable", r.readable}};
    if (!r.readable) return o;
    o.insert("driver", r.driver);
    o.insert("port", r.port);
    o.insert("paperSize", r.paperSize);
    o.insert("paperWidth", r.paperWidth);
    o.insert("paperLength", r.paperLength);
    o.insert("pixelsPerX", r.pixelsPerX);
    o.insert("pixelsPerY", r.pixelsPerY);
    o.insert("leftOffset", r.leftOffset);
    o.insert("topOffset", r.topOffset);
    o.insert("copies", r.copies);
    o.insert("bin", r.bin);
    o.insert("duplex", r.duplex);
    o.insert("extendedDuplex", r.extendedDuplex);
    o.insert("supportedPaperSizes", QJsonArray::fromStringList(r.sizes));
    return o;
}

void PrintText(const PrinterReport& r)
{
    std::cout << r.name.toStdString() << (r.isDefault ? " (default)" : "") << "\n";
    if (!r.readable) {
        std::cout << "  settings   could not be read\n";
        return;
    }
    std::cout << "  driver     " << r.driver.toStdString() << " on " << r.port.toStdString() << "\n"
              << "  paper      " << r.paperSize.toStdString() << ", " << r.paperWidth << " x " << r.paperLength
              << " (0.1 mm)\n"
              << "  resolution " << r.pixelsPerX << " x " << r.pixelsPerY << " dpi\n"
              << "  offsets    left " << r.leftOffset << ", top " << r.topOffset << " (0.1 mm)\n"
              << "  copies     " << r.copies << "\n"
              << "  bin        " << r.bin.toStdString() << "\n"
              << "  duplex     " << (r.duplex ? "yes" : "no") << " (device value " << r.extendedDuplex << ")\n"
              << "  sizes      " << r.sizes.join(QStringLiteral(", ")).toStdString() << "\n";
}

int RunPrinters(const std::vector<std::string>& args)
{
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else {
            return UsageError(kPrintersCommand, "unknown argument '" + a + "'");
        }
    }
    const std::unique_ptr<QGuiApplication> app = StartQt(QtUse::kPrint);
    qrp::TPrinter printer;
    const QString defaultName = printer.System().DefaultPrinterName();
    std::vector<PrinterReport> reports;
    for (int i = 0; i < printer.Printers().size(); ++i) reports.push_back(Read(printer, i, defaultName));

    if (json) {
        QJsonArray list;
        for (const PrinterReport& r : reports) list.append(ToJson(r));
        std::cout << QJsonDocument(QJsonObject{{"printers", list}}).toJson(QJsonDocument::Indented).toStdString();
        return kExitOk;
    }
    if (reports.empty()) std::cout << "No printers are installed.\n";
    for (const PrinterReport& r : reports) PrintText(r);
    return kExitOk;
}

}  // namespace
}  // namespace qrptool
