#include "viewer/startup.h"

#include "base/swallowed.h"
#include "preview/preview.h"
#include "printer/qr_printer.h"
#include "viewer/application.h"
#include "viewer/spin_edit.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

namespace qrp {

TStartup StartViewer(const QStringList& arguments, TViewerDialogs& dialogs)
{
    TStartup startup;
    startup.Form = std::make_unique<TForm1>(dialogs);
    TForm1& form = *startup.Form;
    // A link counts as the file it points to; a folder does not count.
    if (!arguments.isEmpty() && QFileInfo(arguments.front()).isFile()) {
        try {
            form.prepara(arguments.front());
        } catch (...) {
            LogSwallowed(("opening " + arguments.front().toStdString()).c_str());
            dialogs.ShowMessage(&form, texts::kInvalidFile);
            startup.Terminate = true;
        }
        form.SpinEdit1->SetValue(form.prev->Zoom());
    }
    return startup;
}

int RunViewer(QApplication& app, TViewerDialogs& dialogs)
{
    QApplication::setApplicationName(texts::kApplicationTitle);
    TStartup startup = StartViewer(app.arguments().mid(1), dialogs);
    if (auto* viewerApp = qobject_cast<TApplication*>(&app)) {
        TForm1* form = startup.Form.get();
        viewerApp->SetOnException([form](const std::exception_ptr& failure) { form->HandleException(failure); });
    }
    // Maximised; the normal geometry already covers the screen where no window manager
    // honours the request.
    if (QScreen* screen = startup.Form->screen()) startup.Form->setGeometry(screen->availableGeometry());
    startup.Form->showMaximized();
    if (startup.Terminate) QTimer::singleShot(0, &app, [] { QCoreApplication::exit(1); });
    const int result = app.exec();
    if (auto* viewerApp = qobject_cast<TApplication*>(&app)) viewerApp->SetOnException(nullptr);
    startup.Form.reset();
    DestroySharedReportPrinter();
    return result;
}

}  // namespace qrp
