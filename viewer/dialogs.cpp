#include "viewer/dialogs.h"

#include "platform/printer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
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

// A message box is as narrow as its text; its title ("Visualizador de Exames") would be cut
// by the frame. A spacer across the box's grid keeps it wide enough for the whole title.
void KeepTitleWhole(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int width = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(box.windowTitle()) + 160;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
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

std::optional<QString> TQtViewerDialogs::ExecuteSave(QWidget* parent, const QString& suggested)
{
    QFileDialog ds1(parent);
    ds1.setAcceptMode(QFileDialog::AcceptSave);
    ds1.setFileMode(QFileDialog::AnyFile);
    ds1.setNameFilter(texts::kReportFilter);
    ds1.setOptions(FileDialogOptions());
    if (!suggested.isEmpty()) ds1.selectFile(suggested);
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
    KeepTitleWhole(box);
    return box.exec() == QMessageBox::Yes;
}

void TQtViewerDialogs::ShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, texts::kApplicationTitle, text, QMessageBox::Ok, parent);
    KeepTitleWhole(box);
    box.exec();
}

void TQtViewerDialogs::ShowError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, texts::kApplicationTitle, text, QMessageBox::Ok, parent);
    KeepTitleWhole(box);
    box.exec();
}

bool TQtViewerDialogs::AskOpenLink(QWidget* parent, const QString& target)
{
    QMessageBox box(QMessageBox::Question, texts::kOpenLinkTitle, texts::kOpenLinkQuestion.arg(target),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    KeepTitleWhole(box);
    return box.exec() == QMessageBox::Yes;
}

bool TQtViewerDialogs::OpenLink(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

}  // namespace qrp
