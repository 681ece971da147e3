// The viewer's dialogs and message boxes behind one interface, so that the commands can be
// driven by a script in tests: the open dialog od1, the save dialog ds1, the print dialog
// psd1, the overwrite question and the two kinds of message box.
#pragma once

#include <QString>
#include <QUrl>

#include <optional>

class QWidget;

namespace qrp {

// The print dialog's fields as the commands read and prepare them.
struct TPrintDialogState {
    int Copies = 1;
    int MinPage = 1;
    int MaxPage = 9999999;
    int FromPage = 1;
    int ToPage = 0;
    // The printer the dialog chose, by name; empty keeps the process printer's selection.
    QString PrinterName;
};

class TViewerDialogs {
public:
    virtual ~TViewerDialogs() = default;

    // od1: an existing report file, or nothing when cancelled.
    virtual std::optional<QString> ExecuteOpen(QWidget* parent) = 0;
    // ds1: the chosen name, or nothing when cancelled. Asks nothing about existing files.
    // suggested (the open report's file, or empty) fills the dialog's folder and name.
    virtual std::optional<QString> ExecuteSave(QWidget* parent, const QString& suggested) = 0;
    // psd1: true when the user confirmed; the state holds what was chosen.
    virtual bool ExecutePrint(QWidget* parent, TPrintDialogState& state) = 0;
    // "Substituir arquivo existente?" captioned "Atenção", Yes and No: true for Yes.
    virtual bool AskOverwrite(QWidget* parent) = 0;
    // A modal message with an OK button ("Arquivo inválido.").
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // The general error handler's box: a failure's own message.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // A page's hyperlink was clicked: "Abrir link?" naming the target; true for Yes.
    virtual bool AskOpenLink(QWidget* parent, const QString& target) = 0;
    // Hands an address to the desktop's handler (browser, mail program); false on failure.
    virtual bool OpenLink(const QUrl& url) = 0;
};

// The real dialogs: Qt's file and print dialogs and message boxes.
class TQtViewerDialogs : public TViewerDialogs {
public:
    std::optional<QString> ExecuteOpen(QWidget* parent) override;
    std::optional<QString> ExecuteSave(QWidget* parent, const QString& suggested) override;
    bool ExecutePrint(QWidget* parent, TPrintDialogState& state) override;
    bool AskOverwrite(QWidget* parent) override;
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    bool AskOpenLink(QWidget* parent, const QString& target) override;
    bool OpenLink(const QUrl& url) override;
};

// The texts the viewer shows.
namespace texts {
inline const QString kApplicationTitle = QStringLiteral("Visualizador de Exames");
inline const QString kCaption = QStringLiteral("Tavik Viwer Report");
inline const QString kInvalidFile = QStringLiteral("Arquivo inválido.");
inline const QString kOverwriteQuestion = QStringLiteral("Substituir arquivo existente?");
inline const QString kAttention = QStringLiteral("Atenção");
inline const QString kReportFilter = QStringLiteral("Relatórios de Exames (*.QRP *.qrp)");
inline const QString kOpenLinkTitle = QStringLiteral("Abrir link");
inline const QString kOpenLinkQuestion = QStringLiteral("Abrir este endereço no navegador ou no programa de e-mail?\n\n%1");
inline const QString kLinkRefused =
    QStringLiteral("Este link não será aberto: só são abertos endereços http, https e mailto.\n\n%1");
inline const QString kLinkFailed = QStringLiteral("Não foi possível abrir o endereço.\n\n%1");
// %1: the file.
inline const QString kSaveFailed = QStringLiteral(
    "Não foi possível salvar o arquivo \"%1\".\nVerifique se a pasta existe e se você tem permissão para gravar nela.");
// %1: the file.
inline const QString kNothingToSave =
    QStringLiteral("Nenhum relatório está aberto: o arquivo \"%1\" não foi salvo.\nAbra um relatório antes de salvar.");
inline const QString kNoPrinter =
    QStringLiteral("Nenhuma impressora está configurada: o relatório não foi impresso.\nInstale uma impressora e tente novamente.");
// %1: the printer.
inline const QString kPrinterMissing = QStringLiteral("A impressora \"%1\" não está disponível: o relatório não foi impresso.");
}  // namespace texts

}  // namespace qrp
