#include "printer/notices.h"

#include <QCoreApplication>
#include <QObject>

namespace qrp {

namespace {

void Post(QObject* client, QEvent::Type type, int value)
{
    if (!client) return;
    QCoreApplication::postEvent(client, new TQRNotice(type, value));
}

const TQRNotice* As(const QEvent* event, QEvent::Type type)
{
    if (!event || event->type() != type) return nullptr;
    // Someone else's event of the same number carries no value.
    return dynamic_cast<const TQRNotice*>(event);
}

}  // namespace

void PostProgressNotice(QObject* client, int progress) { Post(client, kProgressNotice, progress); }

void PostPageAvailableNotice(QObject* client, int pages) { Post(client, kPageAvailableNotice, pages); }

const TQRNotice* AsProgressNotice(const QEvent* event) { return As(event, kProgressNotice); }

const TQRNotice* AsPageAvailableNotice(const QEvent* event) { return As(event, kPageAvailableNotice); }

}  // namespace qrp
