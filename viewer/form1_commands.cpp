// The window's load path (prepara), its page label (FormShow) and the tool bar commands.
#include "viewer/form1.h"

#include "base/exceptions.h"
#include "base/swallowed.h"
#include "platform/printer.h"
#include "preview/preview.h"
#include "printer/qr_printer.h"
#include "preview/thumbnails.h"
#include "viewer/find_bar.h"
#include "viewer/page_note.h"
#include "viewer/spin_edit.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace qrp {

void TForm1::prepara(const QString& s)
{
    prev->SetTag(1);
    TQRPrinter& printer = SharedReportPrinter();
    printer.Load(s.toStdString());
    prev->SetQRPrinter(&printer);
    FReportFile = QFileInfo(s).absoluteFilePath();
    Thumbnails->SetReport(FReportFile, printer.PageCount());
    FindBar->SetReport(FReportFile, printer.PageCount());
    if (!SpeedButton6->isEnabled()) {
        for (QWidget* control : {static_cast<QWidget*>(SpeedButton1), static_cast<QWidget*>(SpeedButton2),
                                 static_cast<QWidget*>(SpeedButton3), static_cast<QWidget*>(SpeedButton4),
                                 static_cast<QWidget*>(SpeedButton5), static_cast<QWidget*>(SpeedButton6),
                                 static_cast<QWidget*>(SpeedButton7), static_cast<QWidget*>(SpeedButton8),
                                 static_cast<QWidget*>(SpinEdit1)})
            control->setEnabled(true);
        SpinEdit1->SetValue(90);
        prev->SetZoom(90);
    }
}

void TForm1::FormShow(QObject*)
{
    if (prev->Tag() != 1) return;
    try {
        TQRPrinter* printer = prev->QRPrinter();
        if (!printer) return;  // the first load failed: nothing is bound
        Label1->setText(QStringLiteral("Página(s): ") + QString::number(prev->PageNumber()) + QStringLiteral(" de ") +
                        QString::number(printer->PageCount()));
        Label1->adjustSize();
        Thumbnails->SetCurrentPage(prev->PageNumber());
        TPageNote::Of(*this).ShowFor(printer, prev->PageNumber());
    } catch (...) {
        // The label keeps its caption.
        LogSwallowed("refreshing the page label");
    }
}

void TForm1::HandleException(const std::exception_ptr& failure)
{
    QString message;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        message = QString::fromStdString(e.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    FDialogs.ShowError(this, message);
}

void TForm1::Guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

void TForm1::OpenReport(const QString& fileName)
{
    if (FPrinting) return;  // a dropped file waits for no running job
    try {
        prepara(fileName);
    } catch (...) {
        // The message says only "invalid file"; the reason goes to standard error.
        LogSwallowed(("opening " + fileName.toStdString()).c_str());
        FDialogs.ShowMessage(this, texts::kInvalidFile);
        return;
    }
    FormShow(this);
}

void TForm1::SpeedButton9Click(QObject*)
{
    if (std::optional<QString> fileName = FDialogs.ExecuteOpen(this)) {
        OpenReport(*fileName);
        return;
    }
    FormShow(this);
}

void TForm1::SpeedButton8Click(QObject*)
{
    std::optional<QString> chosen = FDialogs.ExecuteSave(this, FReportFile);
    if (!chosen) return;
    QString fileName = *chosen;
    if (!fileName.contains(QStringLiteral(".QRP"), Qt::CaseInsensitive)) fileName += QStringLiteral(".QRP");
    if (QFileInfo::exists(fileName) && !FDialogs.AskOverwrite(this)) return;
    TQRPrinter* printer = prev->QRPrinter();
    // A report that failed to load leaves nothing to write; the user hears of it.
    if (!printer || printer->Status() != mpFinished) {
        FDialogs.ShowMessage(this, texts::kNothingToSave.arg(QDir::toNativeSeparators(fileName)));
        return;
    }
    try {
        printer->Save(fileName.toStdString());
    } catch (const EStreamError&) {
        // The file cannot be made or written: told in the user's words; anything else
        // reaches the general error handler.
        FDialogs.ShowMessage(this, texts::kSaveFailed.arg(QDir::toNativeSeparators(fileName)));
    }
}

void TForm1::SpeedButton6Click(QObject*)
{
    TQRPrinter* printer = prev->QRPrinter();
    if (!printer) return;
    if (!printer->PrinterOK()) {
        FDialogs.ShowMessage(this, texts::kNoPrinter);
        return;
    }
    psd1.MinPage = 1;
    psd1.MaxPage = printer->PageCount();
    psd1.FromPage = 1;
    psd1.ToPage = printer->PageCount();
    if (!FDialogs.ExecutePrint(this, psd1)) return;
    const int copies = psd1.Copies;
    psd1.Copies = 1;
    // The dialog's choice becomes the process printer's selection.
    TPrinter* processPrinter = Printer();
    if (!psd1.PrinterName.isEmpty()) {
        const int chosen = static_cast<int>(processPrinter->Printers().indexOf(psd1.PrinterName));
        if (chosen < 0) {
            FDialogs.ShowMessage(this, texts::kPrinterMissing.arg(psd1.PrinterName));
            return;
        }
        processPrinter->SetPrinterIndex(chosen);
    }
    printer->SetPrinterIndex(processPrinter->PrinterIndex());
    printer->SetFirstPage(psd1.FromPage);
    printer->SetLastPage(psd1.ToPage);
    // The job lets the window handle events on every page: nothing may load, save or start
    // another job under it.
    const TPrintingScope printing(*this);
    for (int copy = 0; copy < copies; ++copy) printer->Print();
}

TForm1::TPrintingScope::TPrintingScope(TForm1& form) : FForm(form)
{
    FForm.FPrinting = true;
    for (QToolButton* button : {FForm.SpeedButton9, FForm.SpeedButton8, FForm.SpeedButton6}) {
        FWasEnabled.push_back(button->isEnabled());
        button->setEnabled(false);
    }
}

TForm1::TPrintingScope::~TPrintingScope()
{
    FForm.FPrinting = false;
    QToolButton* const buttons[] = {FForm.SpeedButton9, FForm.SpeedButton8, FForm.SpeedButton6};
    for (size_t i = 0; i < FWasEnabled.size(); ++i) buttons[i]->setEnabled(FWasEnabled[i]);
}

void TForm1::SpeedButton5Click(QObject*)
{
    SpinEdit1->SetValue(std::min(SpinEdit1->Value() + 20, 190));
}

void TForm1::SpeedButton7Click(QObject*)
{
    SpinEdit1->SetValue(std::max(SpinEdit1->Value() - 20, 30));
}

void TForm1::SpinEdit1Change(QObject*)
{
    prev->SetZoom(SpinEdit1->Value());
}

void TForm1::SpeedButton1Click(QObject*)
{
    prev->SetPageNumber(1);
    FormShow(this);
}

void TForm1::SpeedButton2Click(QObject*)
{
    prev->SetPageNumber(prev->PageNumber() - 1);
    FormShow(this);
}

void TForm1::SpeedButton3Click(QObject*)
{
    prev->SetPageNumber(prev->PageNumber() + 1);
    FormShow(this);
}

void TForm1::SpeedButton4Click(QObject*)
{
    try {
        if (TQRPrinter* printer = prev->QRPrinter()) prev->SetPageNumber(printer->PageCount());
    } catch (...) {
        // Failures of the last-page step are swallowed; the label is refreshed all the same.
        LogSwallowed("going to the last page");
    }
    FormShow(this);
}

void TForm1::BitBtn1Click(QObject*)
{
    close();
}

}  // namespace qrp
