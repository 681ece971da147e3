#include "viewer/page_note.h"

#include "printer/qr_printer.h"
#include "reportfile/metafile.h"

#include <QEvent>
#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcPageNote, "qrp.viewer.pagenote")

namespace qrp {

namespace {

constexpr int kMargin = 24;  // clear of the page view's scroll bars
constexpr int kMaxSide = 4000;

int ScreenPixels(int32_t hundredthsMm)
{
    return std::clamp(static_cast<int>(int64_t{hundredthsMm} * 96 / 2540), 1, kMaxSide);
}

}  // namespace

render::PlayStats SurveyPage(const TMetafile& page)
{
    const emf::EnhMetaFile* picture = page.Handle();
    if (!picture) return {};
    return render::SurveyEnhMetaFile(*picture, QRect(0, 0, ScreenPixels(page.MMWidth()), ScreenPixels(page.MMHeight())));
}

TPageNote& TPageNote::Of(QWidget& window)
{
    if (auto* note = window.findChild<TPageNote*>(QString(), Qt::FindDirectChildrenOnly)) return *note;
    return *new TPageNote(window);
}

TPageNote::TPageNote(QWidget& window) : QLabel(&window)
{
    setObjectName(QStringLiteral("PageNote"));
    setStyleSheet(QStringLiteral("QLabel { background: #fff8dc; color: #5a4a00; border: 1px solid #d8c98a; "
                                 "padding: 2px 6px; font-size: 11px; }"));
    hide();
    window.installEventFilter(this);
}

void TPageNote::ShowFor(TQRPrinter* printer, int pageNumber)
{
    render::PlayStats stats;
    try {
        if (printer)
            if (const auto page = printer->GetPage(pageNumber)) stats = SurveyPage(*page);
    } catch (const std::exception& e) {
        // The page view shows the failure its own way; the note only speaks of skipped records.
        qCInfo(lcPageNote, "page %d not surveyed: %s", pageNumber, e.what());
    }
    if (stats.Clean()) {
        hide();
        return;
    }
    setText(QStringLiteral("Página incompleta: %1 registro(s) ignorado(s)").arg(stats.skipped));
    setToolTip(QString::fromStdString(render::DescribeSkips(stats, "")).trimmed());
    adjustSize();
    Place();
    show();
    raise();
}

bool TPageNote::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize) Place();
    return QLabel::eventFilter(watched, event);
}

void TPageNote::Place()
{
    const QWidget* window = parentWidget();
    move(window->width() - width() - kMargin, window->height() - height() - kMargin);
}

}  // namespace qrp
