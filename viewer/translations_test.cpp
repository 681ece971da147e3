// Qt's dialogs in Portuguese: from Qt's catalogue where it is installed, from the table
// where it is missing; message boxes wide enough for their title; Save suggests the report.
#include "test_viewer_fixture.h"

#include "viewer/translations.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace qrp {
namespace {

using namespace testsupport;

class TranslationsTest : public ViewerTest {
protected:
    void TearDown() override
    {
        for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
        QLocale::setDefault(FLocale);
        ViewerTest::TearDown();
    }
    static QString Tr(const char* context, const char* text) { return QCoreApplication::translate(context, text); }
    // The texts a non-native open dialog shows, made after the translators are in.
    static QStringList OpenDialogTexts()
    {
        QFileDialog dialog(nullptr);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        QStringList texts{dialog.windowTitle()};
        for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) texts << button->text();
        return texts;
    }
    QLocale FLocale;
};

TEST_F(TranslationsTest, QtsCatalogueTranslatesTheDialogs)
{
    ASSERT_TRUE(InstallPortugueseTranslations(*QCoreApplication::instance()))
        << "qtbase_pt_BR.qm is missing: scripts/install-deps.sh installs qt6-translations-l10n";
    EXPECT_EQ(QLocale().language(), QLocale::Portuguese);
    EXPECT_EQ(Tr("QPlatformTheme", "&Yes"), QStringLiteral("&Sim"));
    // What the catalogue leaves in English, the table answers: the file list's type column.
    EXPECT_EQ(Tr("QAbstractFileIconProvider", "Folder"), QStringLiteral("Pasta"));
    const QStringList texts = OpenDialogTexts();
    EXPECT_FALSE(texts.contains(QStringLiteral("Look in:"))) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(texts.contains(QStringLiteral("Files of type:"))) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_NE(texts.front(), QStringLiteral("Open"));
}

TEST_F(TranslationsTest, TheTableStandsInWhereTheCatalogueIsMissing)
{
    EXPECT_FALSE(InstallPortugueseTranslations(*QCoreApplication::instance(), FDir.path()));
    EXPECT_EQ(Tr("QPlatformTheme", "&No"), QStringLiteral("&Não"));
    EXPECT_EQ(Tr("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    EXPECT_EQ(Tr("QPrintDialog", "Print"), QStringLiteral("Imprimir"));
    // Texts outside the table stay as they are.
    EXPECT_EQ(Tr("QFileDialog", "no such text"), QStringLiteral("no such text"));
    const QStringList texts = OpenDialogTexts();
    EXPECT_EQ(texts.front(), QStringLiteral("Abrir"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Examinar:"))) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Arquivos do tipo:"))) << texts.join(QLatin1Char('|')).toStdString();
}

TEST_F(TranslationsTest, MessageBoxesAreWideEnoughForTheirTitle)
{
    TQtViewerDialogs dialogs;
    int width = 0;
    QString title;
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            width = box->width();
            title = box->windowTitle();
            box->close();
        }
    });
    dialogs.ShowMessage(nullptr, texts::kInvalidFile);
    EXPECT_EQ(title, texts::kApplicationTitle);
    EXPECT_GT(width, QFontMetrics(QApplication::font()).horizontalAdvance(texts::kApplicationTitle) + 100);
}

TEST_F(TranslationsTest, SaveSuggestsTheOpenReport)
{
    TForm1& form = StartWith(1);
    form.SpeedButton8->click();
    ASSERT_EQ(FDialogs.SaveSuggestions.size(), 1);
    EXPECT_EQ(FDialogs.SaveSuggestions.front(), QFileInfo(Path(QStringLiteral("report.QRP"))).absoluteFilePath());
}

}  // namespace
}  // namespace qrp
