// What Qt PrintSupport does not tell about a CUPS queue: whether it accepts jobs, its input
// slots, and the outcome of the last request this thread sent to the server.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace qrp {

// False when the queue is unknown or rejects jobs.
bool CupsQueueAcceptsJobs(const QString& printer);

// The PPD's InputSlot option: its choices (keywords) and its default choice.
struct CupsInputSlots {
    QStringList Choices;
    QString Default;
};
std::optional<CupsInputSlots> CupsInputSlotsOf(const QString& printer);

// Bin codes of InputSlot keywords: the platform's code of a standard keyword ("Upper" 1,
// "Lower" 2, ... "Cassette" 14, "FormSource" 15), else 256 + the keyword's position among
// the choices; 0 for a keyword that is not a choice.
int CupsBinForInputSlot(const QString& keyword, const QStringList& choices);
// The choice for a bin code; empty when the printer has no such slot.
QString CupsInputSlotForBin(int binCode, const QStringList& choices);

// The last request this thread sent to the server failed (refused, or no server).
bool CupsLastRequestFailed();

}  // namespace qrp
