#include "viewer/dialogs.h"

#include "platform/printer.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace qrp {

namespace {

QFileDialog::Options FileDialogOptions()
{
    // The read-only box does not exist here; the dialog is sizeable by default.
    return QFileDialog::DontConfirmOverwrite;
}

}  // namespace

std::optional<QString> TQtViewerDialogs::ExecuteOpen(QWidget* parent)
{
    QFileDialog od1(parent);
    od1.setAcceptMode(QFileDialog::AcceptOpen);
    od1.setFileMode(QFileDialog::ExistingFile);
    od1.setNameFilter(texts::kReportFilter);
    od1.setOptions(FileDialogOptions());
    if (od1.exec() != QDialog::Accepted || od1.selectedFiles().isEmpty()) return std::nullopt;
    return od1.selectedFiles().front();
}

std::optional<QString> TQtViewerDialogs::ExecuteSave(QWidget* parent)
{
    QFileDialog ds1(parent);
    ds1.setAcceptMode(QFileDialog::AcceptSave);
    ds1.setFileMode(QFileDialog::AnyFile);
    ds1.setNameFilter(texts::kReportFilter);
    ds1.setOptions(FileDialogOptions());
    if (ds1.exec() != QDialog::Accepted || ds1.selectedFiles().isEmpty()) return std::nullopt;
    return ds1.selectedFiles().front();
}

bool TQtViewerDialogs::ExecutePrint(QWidget* parent, TPrintDialogState& state)
{
    QPrinter printer(QPrinter::HighResolution);
    TPrinter* processPrinter = Printer();
    const int index = processPrinter->PrinterIndex();
    if (index >= 0 && index < processPrinter->Printers().size()) printer.setPrinterName(processPrinter->Printers().at(index));
    printer.setCopyCount(state.Copies);
    QPrintDialog psd1(&printer, parent);
    psd1.setOption(QAbstractPrintDialog::PrintToFile, false);
    psd1.setOption(QAbstractPrintDialog::PrintSelection, false);
    psd1.setOption(QAbstractPrintDialog::PrintPageRange, true);
    psd1.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    psd1.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    psd1.setMinMax(state.MinPage, state.MaxPage);
    psd1.setFromTo(state.FromPage, state.ToPage);
    if (psd1.exec() != QDialog::Accepted) return false;
    state.Copies = printer.copyCount();
    // "All pages" leaves the range fields as prepared: the whole report.
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        state.FromPage = printer.fromPage();
        state.ToPage = printer.toPage();
    }
    state.PrinterName = printer.printerName();
    return true;
}

bool TQtViewerDialogs::AskOverwrite(QWidget* parent)
{
    // Yes and No only, no icon.
    QMessageBox box(QMessageBox::NoIcon, texts::kAttention, texts::kOverwriteQuestion, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void TQtViewerDialogs::ShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, texts::kApplicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void TQtViewerDialogs::ShowError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, texts::kApplicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace qrp
