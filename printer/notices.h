// The report printer's notices to its client: progress and page-available, posted as queued
// Qt events that carry the value. Posting goes through the client's event queue, so a
// notice is handled later on the GUI thread; Qt drops the pending events of an object that
// is destroyed, so only a client that still exists receives them.
#pragma once

#include <QEvent>

class QObject;

namespace qrp {

// The two notice kinds, in the order of the platform messages they stand for.
inline constexpr QEvent::Type kProgressNotice = static_cast<QEvent::Type>(QEvent::User);
inline constexpr QEvent::Type kPageAvailableNotice = static_cast<QEvent::Type>(QEvent::User + 1);

class TQRNotice : public QEvent {
public:
    TQRNotice(QEvent::Type type, int value) : QEvent(type), FValue(value) {}
    // The progress in per cent, or the number of pages available.
    int Value() const { return FValue; }

private:
    int FValue;
};

// Posts a notice to client; nothing happens when client is null.
void PostProgressNotice(QObject* client, int progress);
void PostPageAvailableNotice(QObject* client, int pages);

// The notice an event carries, or nullptr when it is no report printer notice.
const TQRNotice* AsProgressNotice(const QEvent* event);
const TQRNotice* AsPageAvailableNotice(const QEvent* event);

}  // namespace qrp
