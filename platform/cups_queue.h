// What Qt PrintSupport does not do for a CUPS queue: tell whether it accepts jobs and what
// its PPD offers, and send a job whose outcome we learn.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace qrp {

// False when the queue is unknown or rejects jobs.
bool CupsQueueAcceptsJobs(const QString& printer);

// What the queue's PPD says about input slots and resolution.
struct CupsPpdDefaults {
    QStringList InputSlots;    // the InputSlot choices (keywords)
    QString DefaultInputSlot;  // its default choice
    int DefaultResolution = 0; // dots per inch of the default Resolution choice; 0 if none
};
// nullopt when the queue is unknown or has no PPD.
std::optional<CupsPpdDefaults> CupsPpdDefaultsOf(const QString& printer);

// Bin codes of InputSlot keywords: the platform's code of a standard keyword ("Upper" 1,
// "Lower" 2, ... "Cassette" 14, "FormSource" 15), else 256 + the keyword's position among
// the choices; 0 for a keyword that is not a choice.
int CupsBinForInputSlot(const QString& keyword, const QStringList& choices);
// The choice for a bin code; empty when the printer has no such slot.
QString CupsInputSlotForBin(int binCode, const QStringList& choices);

// Sends a file to a queue as one job; the job's id, or 0 when the server refused it.
int CupsPrintFile(const QByteArray& queue, const QByteArray& file, const QByteArray& title,
                  const std::vector<std::pair<QByteArray, QByteArray>>& options);

}  // namespace qrp
