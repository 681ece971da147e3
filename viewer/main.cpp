// qrpview: shows one report file, named as the first argument or chosen with Open.
#include "viewer/application.h"
#include "viewer/command_line.h"
#include "viewer/dialogs.h"
#include "viewer/startup.h"
#include "viewer/translations.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = qrp::AnswerInfoOptions(argc, argv, QRP_VERSION, std::cout)) return *status;
    qrp::TPlatformStartGuard guard;
    qrp::TApplication app(argc, argv);
    guard.Release();
    qrp::InstallPortugueseTranslations(app);
    qrp::TQtViewerDialogs dialogs;
    return qrp::RunViewer(app, dialogs);
}
