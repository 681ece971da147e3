#include "platform/cups_queue.h"

#include <cups/cups.h>
#include <cups/ppd.h>

#include <QByteArray>

#include <array>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace qrp {

namespace {

struct SlotCode {
    const char* Keyword;
    int Code;
};

// The standard PPD InputSlot keywords and the platform's bin codes.
constexpr std::array<SlotCode, 15> kStandardSlots = {{
    {"Upper", 1}, {"OnlyOne", 1}, {"Lower", 2}, {"Middle", 3}, {"Manual", 4}, {"ManualFeed", 4},
    {"Envelope", 5}, {"EnvManual", 6}, {"Auto", 7}, {"Tractor", 8}, {"AnySmallFormat", 9},
    {"AnyLargeFormat", 10}, {"LargeCapacity", 11}, {"Cassette", 14}, {"FormSource", 15},
}};

int StandardCode(const QString& keyword)
{
    const QByteArray key = keyword.toLatin1();
    for (const SlotCode& slot : kStandardSlots) {
        if (key == slot.Keyword) return slot.Code;
    }
    return 0;
}

}  // namespace

bool CupsQueueAcceptsJobs(const QString& printer)
{
    const QByteArray name = printer.toLocal8Bit();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest) return false;
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool accepts = !accepting || std::strcmp(accepting, "true") == 0;
    cupsFreeDests(1, dest);
    return accepts;
}

std::optional<CupsPpdDefaults> CupsPpdDefaultsOf(const QString& printer)
{
    const QByteArray name = printer.toLocal8Bit();
    // The PPD interface names the queue's InputSlot choices as its filters take them; it
    // is marked deprecated in favour of IPP attributes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const char* path = cupsGetPPD(name.constData());
    if (!path) return std::nullopt;
    const QByteArray ppdPath(path);
    ppd_file_t* ppd = ppdOpenFile(ppdPath.constData());
    std::optional<CupsPpdDefaults> found;
    if (ppd) {
        found.emplace();
        if (ppd_option_t* option = ppdFindOption(ppd, "InputSlot")) {
            for (int i = 0; i < option->num_choices; ++i) {
                found->InputSlots.append(QString::fromUtf8(option->choices[i].choice));
            }
            found->DefaultInputSlot = QString::fromUtf8(option->defchoice);
        }
        ppd_option_t* resolution = ppdFindOption(ppd, "Resolution");
        if (!resolution) resolution = ppdFindOption(ppd, "JCLResolution");
        if (resolution) {
            // "300dpi" or "600x300dpi": the horizontal figure.
            found->DefaultResolution = std::atoi(resolution->defchoice);
        }
        ppdClose(ppd);
    }
#pragma GCC diagnostic pop
    unlink(ppdPath.constData());
    return found;
}

int CupsBinForInputSlot(const QString& keyword, const QStringList& choices)
{
    const int position = static_cast<int>(choices.indexOf(keyword));
    if (position < 0) return 0;
    const int code = StandardCode(keyword);
    return code != 0 ? code : 256 + position;
}

QString CupsInputSlotForBin(int binCode, const QStringList& choices)
{
    for (const QString& choice : choices) {
        if (CupsBinForInputSlot(choice, choices) == binCode) return choice;
    }
    return QString();
}

int CupsPrintFile(const QByteArray& queue, const QByteArray& file, const QByteArray& title,
                  const std::vector<std::pair<QByteArray, QByteArray>>& options)
{
    cups_option_t* cupsOptions = nullptr;
    int count = 0;
    for (const auto& [name, value] : options) {
        count = cupsAddOption(name.constData(), value.constData(), count, &cupsOptions);
    }
    const int job = cupsPrintFile(queue.constData(), file.constData(), title.constData(), count, cupsOptions);
    cupsFreeOptions(count, cupsOptions);
    return job;
}

}  // namespace qrp
