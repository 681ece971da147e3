#include "viewer/command_line.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace qrp {

namespace {

const char* const kHelp =
    "Uso: qrpview [OPÇÃO] [RELATÓRIO.QRP]\n"
    "Mostra um relatório de exames salvo (arquivo .QRP), página por página, para ler,\n"
    "imprimir ou salvar uma cópia. Sem RELATÓRIO, abre-se um com o botão Abrir.\n"
    "\n"
    "Opções:\n"
    "  -h, --help       mostra esta ajuda e sai\n"
    "  -v, --version    mostra a versão e sai\n"
    "\n"
    "Teclas:\n"
    "  Page Down, Espaço          desce a página; no fim dela, vai para a próxima\n"
    "  Page Up, Shift+Espaço      sobe a página; no topo, volta para a anterior\n"
    "  Home, End                  primeira e última página\n"
    "  Ctrl++, Ctrl+-, Ctrl+roda  zoom de 20 em 20 pontos\n"
    "  Ctrl+0, Ctrl+9             página inteira, largura da página\n"
    "  F4                         miniaturas das páginas\n"
    "  Ctrl+O, Ctrl+S, Ctrl+P     abrir, salvar, imprimir\n";

struct WaitingMessage {
    QtMsgType type;
    std::string category, file, function;
    QString text;
};

std::mutex gLock;
QtMessageHandler gPrevious = nullptr;
std::vector<WaitingMessage>* gWaiting = nullptr;

void StartHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", TPlatformStartGuard::kNoDisplay);
        std::fflush(stderr);
        std::_Exit(1);
    }
    std::lock_guard<std::mutex> lock(gLock);
    if (!gWaiting) return;
    WaitingMessage m{type, context.category ? context.category : "", context.file ? context.file : "",
                     context.function ? context.function : "", message};
    gWaiting->push_back(std::move(m));
}

}  // namespace

std::optional<int> AnswerInfoOptions(int argc, const char* const* argv, const std::string& version, std::ostream& out)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) break;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            out << kHelp;
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0) {
            out << "qrpview " << version << '\n';
            return 0;
        }
    }
    return std::nullopt;
}

TPlatformStartGuard::TPlatformStartGuard()
{
    std::lock_guard<std::mutex> lock(gLock);
    gWaiting = new std::vector<WaitingMessage>;
    gPrevious = qInstallMessageHandler(StartHandler);
}

TPlatformStartGuard::~TPlatformStartGuard()
{
    Release();
}

void TPlatformStartGuard::Release()
{
    std::vector<WaitingMessage>* waiting = nullptr;
    QtMessageHandler previous = nullptr;
    {
        std::lock_guard<std::mutex> lock(gLock);
        if (!gWaiting) return;
        waiting = gWaiting;
        gWaiting = nullptr;
        previous = gPrevious;
        qInstallMessageHandler(previous);
    }
    for (const WaitingMessage& m : *waiting) {
        const QMessageLogContext context(m.file.c_str(), 0, m.function.c_str(), m.category.c_str());
        if (previous)
            previous(m.type, context, m.text);
        else
            qt_message_output(m.type, context, m.text);
    }
    delete waiting;
}

}  // namespace qrp
