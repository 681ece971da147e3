#include "viewer/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

#include <cstring>

namespace qrp {

namespace {

struct Entry {
    const char* context;
    const char* source;
    const char* text;
};

// Texts of Qt's widget dialogs as the viewer shows them, keyed by Qt's own context and
// source text.
const Entry kEntries[] = {
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Cancel", "Cancelar"},
    {"QPlatformTheme", "&Yes", "&Sim"},
    {"QPlatformTheme", "&No", "&Não"},
    {"QPlatformTheme", "Open", "Abrir"},
    {"QPlatformTheme", "Save", "Salvar"},
    {"QPlatformTheme", "Close", "Fechar"},
    {"QPlatformTheme", "Apply", "Aplicar"},
    {"QPlatformTheme", "Help", "Ajuda"},
    {"QFileDialog", "Open", "Abrir"},
    {"QFileDialog", "Save As", "Salvar como"},
    {"QFileDialog", "&Open", "&Abrir"},
    {"QFileDialog", "&Save", "&Salvar"},
    {"QFileDialog", "Look in:", "Examinar:"},
    {"QFileDialog", "File &name:", "&Nome do arquivo:"},
    {"QFileDialog", "Files of type:", "Arquivos do tipo:"},
    {"QFileDialog", "Back", "Voltar"},
    {"QFileDialog", "Forward", "Avançar"},
    {"QFileDialog", "Parent Directory", "Pasta acima"},
    {"QFileDialog", "Create New Folder", "Criar nova pasta"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Detail View", "Detalhes"},
    {"QFileDialog", "Recent Places", "Locais recentes"},
    {"QFileDialog", "My Computer", "Meu computador"},
    {"QFileDialog", "Computer", "Computador"},
    {"QFileDialog", "New Folder", "Nova pasta"},
    {"QFileDialog", "&New Folder", "&Nova pasta"},
    {"QFileDialog", "&Delete", "&Excluir"},
    {"QFileDialog", "&Rename", "&Renomear"},
    {"QFileDialog", "Show &hidden files", "Mostrar arquivos &ocultos"},
    {"QFileDialog", "All Files (*)", "Todos os arquivos (*)"},
    {"QFileSystemModel", "Name", "Nome"},
    {"QFileSystemModel", "Size", "Tamanho"},
    {"QFileSystemModel", "Type", "Tipo"},
    {"QFileSystemModel", "Kind", "Tipo"},
    {"QFileSystemModel", "Date Modified", "Data de modificação"},
    {"QFileSystemModel", "My Computer", "Meu computador"},
    {"QFileSystemModel", "Computer", "Computador"},
    {"QAbstractFileIconProvider", "Folder", "Pasta"},
    {"QAbstractFileIconProvider", "Drive", "Unidade"},
    {"QAbstractFileIconProvider", "File", "Arquivo"},
    {"QAbstractFileIconProvider", "%1 File", "Arquivo %1"},
    {"QPrintDialog", "Print", "Imprimir"},
    {"QPrintDialog", "&Print", "&Imprimir"},
    {"QPrintDialog", "&Options >>", "&Opções >>"},
    {"QPrintDialog", "&Options <<", "&Opções <<"},
    {"QAbstractPrintDialog", "Print", "Imprimir"},
    {"QPrintDialog", "Printer", "Impressora"},
    {"QPrintPropertiesWidget", "Page", "Página"},
    {"QPrintSettingsOutput", "Copies", "Cópias"},
    {"QPrintSettingsOutput", "Copies:", "Cópias:"},
    {"QPrintSettingsOutput", "Pages", "Páginas"},
    {"QPrintSettingsOutput", "Print range", "Intervalo de impressão"},
    {"QPrintSettingsOutput", "Print all", "Imprimir tudo"},
    {"QPrintSettingsOutput", "Pages from", "Páginas de"},
    {"QPrintSettingsOutput", "to", "até"},
    {"QPrintSettingsOutput", "Collate", "Agrupar"},
    {"QPrintSettingsOutput", "Options", "Opções"},
    {"QPrintWidget", "&Name:", "&Nome:"},
    {"QPrintWidget", "P&roperties", "P&ropriedades"},
    {"QPrintWidget", "Location:", "Local:"},
    {"QPrintWidget", "Type:", "Tipo:"},
    {"QMessageBox", "OK", "OK"},
    {"QDialogButtonBox", "OK", "OK"},
    {"QDialogButtonBox", "Cancel", "Cancelar"},
};

}  // namespace

QString TFallbackTranslator::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (!context || !sourceText) return {};
    for (const Entry& e : kEntries)
        if (std::strcmp(e.context, context) == 0 && std::strcmp(e.source, sourceText) == 0) return QString::fromUtf8(e.text);
    return {};
}

bool InstallPortugueseTranslations(QCoreApplication& app, const QString& catalogueFolder)
{
    const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(portuguese);
    // Translators installed later are asked first: the table answers only what the
    // catalogue leaves untranslated, or everything where the catalogue is missing.
    app.installTranslator(new TFallbackTranslator(&app));
    const QString folder = catalogueFolder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : catalogueFolder;
    auto* catalogue = new QTranslator(&app);
    if (!catalogue->load(portuguese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        delete catalogue;
        return false;
    }
    app.installTranslator(catalogue);
    return true;
}

}  // namespace qrp
