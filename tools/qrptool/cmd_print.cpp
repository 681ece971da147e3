// qrptool print: prints a report as the viewer's print command does (printer index, page
// range, one job per copy), with a progress bar on the terminal instead of the window.
#include "tools/qrptool/command.h"
#include "tools/qrptool/qt_start.h"

#include "base/exceptions.h"
#include "printer/notices.h"
#include "printer/qr_printer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace qrptool {

namespace {

constexpr int kExitPrintFailed = 4;
constexpr int kBarWidth = 30;

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) { gInterrupted = 1; }

// The print job's progress window on the terminal: it receives the report printer's
// progress notices and redraws one line on standard error. An interrupt (Ctrl+C) cancels
// the job at its next page.
class TerminalProgress : public QObject {
public:
    TerminalProgress(qrp::TQRPrinter& printer, std::string label) : FPrinter(printer), FLabel(std::move(label))
    {
        Draw(0);
    }
    ~TerminalProgress() override { std::cerr << "\n"; }

protected:
    void customEvent(QEvent* event) override
    {
        if (!qrp::AsProgressNotice(event)) return;
        if (gInterrupted) FPrinter.Cancel();
        Draw(FPrinter.Progress());
    }

private:
    void Draw(int progress)
    {
        const int filled = std::clamp(progress, 0, 100) * kBarWidth / 100;
        std::cerr << "\r" << FLabel << " [" << std::string(static_cast<size_t>(filled), '#')
                  << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] " << progress << "%"
                  << std::flush;
    }

    qrp::TQRPrinter& FPrinter;
    std::string FLabel;
};

struct PrintOptions {
    std::string report;
    std::optional<std::string> printer;
    std::optional<int> from;
    std::optional<int> to;
    int copies = 1;
    std::string title;
};

std::optional<int> ParseInt(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Parses the arguments; returns an error message, or empty when they are good.
std::string ParseArguments(const std::vector<std::string>& args, PrintOptions& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--printer" || a == "--from" || a == "--to" || a == "--copies" || a == "--title";
        if (takesValue) {
            if (i + 1 >= args.size()) return a + " needs a value";
            const std::string& value = args[++i];
            if (a == "--printer") {
                options.printer = value;
            } else if (a == "--title") {
                options.title = value;
            } else {
                const std::optional<int> number = ParseInt(value);
                if (!number || *number < 1) return a + " needs a whole number of at least 1, not '" + value + "'";
                if (a == "--from") options.from = number;
                if (a == "--to") options.to = number;
                if (a == "--copies") options.copies = *number;
            }
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option '" + a + "'";
        } else if (options.report.empty()) {
            options.report = a;
        } else {
            return "only one report can be printed at a time";
        }
    }
    if (options.report.empty()) return "no report given";
    return {};
}

int RunPrint(const std::vector<std::string>& args);

}  // namespace

extern const Command kPrintCommand = {
    "print",
    "print a report on an installed printer",
    "Usage: qrptool print REPORT [--printer NAME] [--from N] [--to M] [--copies K] [--title TEXT]\n\n"
    "Prints pages N to M (default: the whole report) of REPORT on the printer NAME (default:\n"
    "the system's default printer), as K separate jobs (default 1). The paper size and\n"
    "orientation come from the report's first page; every page is printed on a sheet of its\n"
    "own orientation, scaled to fit the sheet with its shape kept. A range that is not\n"
    "inside the report is refused.\n\n"
    "  --printer NAME  an installed printer (see lpstat -p)\n"
    "  --from N        first page, from 1\n"
    "  --to M          last page, from N to the report's last\n"
    "  --copies K      number of jobs\n"
    "  --title TEXT    document name of the jobs (default: none)\n\n"
    "Progress goes to standard error; Ctrl+C cancels after the current sheet.\n"
    "Exit status: 0 printed, 1 bad arguments, 2 report not loaded, 4 printing failed or\n"
    "cancelled.\n",
    &RunPrint,
};

namespace {

int RunPrint(const std::vector<std::string>& args)
{
    PrintOptions options;
    if (const std::string error = ParseArguments(args, options); !error.empty())
        return UsageError(kPrintCommand, error);

    const std::unique_ptr<QGuiApplication> app = StartQt(QtUse::kPrint);
    qrp::TQRPrinter& printer = qrp::SharedReportPrinter();
    try {
        printer.Load(options.report);
    } catch (const std::exception& e) {
        std::cerr << "qrptool print: cannot load " << options.report << ": " << e.what() << "\n";
        qrp::DestroySharedReportPrinter();
        return kExitInvalidFile;
    }

    const int pages = printer.PageCount();
    const int from = options.from.value_or(1);
    const int to = options.to.value_or(pages);
    if (from > to || to > pages) {
        std::cerr << "qrptool print: pages " << from << "-" << to << " are not in " << options.report << ", which has "
                  << pages << (pages == 1 ? " page\n" : " pages\n");
        qrp::DestroySharedReportPrinter();
        return kExitUsage;
    }

    int status = kExitOk;
    try {
        if (!printer.PrinterOK()) throw qrp::EPrinter("no printer is installed");
        if (options.printer) {
            const std::vector<std::string> names = printer.Printers();
            const auto found = std::find(names.begin(), names.end(), *options.printer);
            if (found == names.end()) throw qrp::EPrinter("no printer named '" + *options.printer + "'");
            printer.SetPrinterIndex(static_cast<int>(found - names.begin()));
        }
        printer.SetFirstPage(from);
        printer.SetLastPage(to);
        printer.SetTitle(options.title);

        std::signal(SIGINT, OnInterrupt);
        for (int copy = 1; copy <= options.copies && !gInterrupted; ++copy) {
            const std::string label = "copy " + std::to_string(copy) + "/" + std::to_string(options.copies);
            printer.SetProgressWindowFactory([label](qrp::TQRPrinter& p) -> std::unique_ptr<QObject> {
                return std::make_unique<TerminalProgress>(p, label);
            });
            printer.Print();
            if (printer.Cancelled()) break;
        }
        std::signal(SIGINT, SIG_DFL);
        if (printer.Cancelled() || gInterrupted) {
            std::cerr << "qrptool print: cancelled\n";
            status = kExitPrintFailed;
        } else {
            std::cout << "printed pages " << printer.FirstPage() << "-" << printer.LastPage() << " of "
                      << options.report << " on " << printer.Printers()[static_cast<size_t>(printer.PrinterIndex())]
                      << ", " << options.copies << (options.copies == 1 ? " copy\n" : " copies\n");
        }
    } catch (const std::exception& e) {
        std::signal(SIGINT, SIG_DFL);
        std::cerr << "qrptool print: " << e.what() << "\n";
        status = kExitPrintFailed;
    }
    qrp::DestroySharedReportPrinter();
    return status;
}

}  // namespace
}  // namespace qrptool
