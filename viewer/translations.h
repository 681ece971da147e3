// Qt's own dialogs (open, save, print, the buttons of message boxes) in Brazilian
// Portuguese, whatever the system's locale: Qt's translation catalogue where it is installed,
// and beneath it a small table of the texts the viewer's dialogs show, for where it is not.
#pragma once

#include <QString>
#include <QTranslator>

class QCoreApplication;

namespace qrp {

// The table beneath Qt's catalogue; it answers the texts of the file and print dialogs and
// of the standard buttons, and nothing else.
class TFallbackTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

// Sets Brazilian Portuguese as the default locale and installs the translators on app.
// catalogueFolder names where Qt's catalogue (qtbase_pt_BR.qm) is looked for; empty means
// Qt's own translations folder. True when the catalogue was found.
bool InstallPortugueseTranslations(QCoreApplication& app, const QString& catalogueFolder = QString());

}  // namespace qrp
