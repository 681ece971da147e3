#include "preview/text_layer.h"

#include "base/swallowed.h"
#include "preview/preview.h"
#include "reportfile/metafile.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace qrp {

namespace {

const QColor kMatch(255, 214, 0, 110);
const QColor kCurrentMatch(255, 120, 0, 150);
const QColor kCurrentFrame(200, 70, 0);
const QColor kSelected(40, 110, 230, 90);

// No page needs more boxes painted; a crafted one is cut here.
constexpr size_t kMaxPainted = 20'000;
// Autoscroll: a step every kAutoScrollMs, of the mouse's distance outside the view divided
// by kAutoScrollDivisor, at least 2 and at most kAutoScrollMax pixels.
constexpr int kAutoScrollMs = 30;
constexpr int kAutoScrollDivisor = 3;
constexpr int kAutoScrollMax = 60;

// How far beyond [low, high] a value lies, as a scroll step towards it (0 inside).
int ScrollStep(int value, int low, int high)
{
    const int outside = value < low ? value - low : value > high ? value - high : 0;
    if (outside == 0) return 0;
    const int step = std::clamp(std::abs(outside) / kAutoScrollDivisor, 2, kAutoScrollMax);
    return outside < 0 ? -step : step;
}

// The frame of the picture in millimetres, or an empty size.
QSizeF FrameMillimetres(const TQRPreviewImage& image)
{
    const TMetafile* picture = image.Metafile();
    if (!picture || !picture->Handle()) return {};
    const auto& frame = picture->Handle()->Header().rclFrame;
    return {std::abs(static_cast<double>(frame.right) - frame.left) / 100,
            std::abs(static_cast<double>(frame.bottom) - frame.top) / 100};
}

}  // namespace

TQRTextLayer::TQRTextLayer(TQRPreview* preview)
    : QWidget(preview->PreviewImage()), FPreview(preview), FAutoScroll(new QTimer(this))
{
    FAutoScroll->setInterval(kAutoScrollMs);
    connect(FAutoScroll, &QTimer::timeout, this, [this] { AutoScroll(); });
    QPointer<TQRTextLayer> self(this);
    preview->PreviewImage()->SetTextAt([self](QPoint pos) { return self && self->TextAt(pos); });
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(parentWidget()->rect());
    parentWidget()->installEventFilter(this);
    preview->viewport()->installEventFilter(this);
    raise();
    show();
}

TQRTextLayer::~TQRTextLayer() = default;

void TQRTextLayer::SetHighlightSource(THighlightSource source)
{
    FSource = std::move(source);
    update();
}

void TQRTextLayer::ClearHighlightSource()
{
    FSource = nullptr;
    update();
}

void TQRTextLayer::FollowPage()
{
    const TQRPreviewImage& image = *FPreview->PreviewImage();
    if (image.FetchCount() == FPageFetch) return;
    FPageFetch = image.FetchCount();
    FText.reset();
    FSelection.Clear();
    FSelecting = false;
}

const render::PageText& TQRTextLayer::PageText()
{
    FollowPage();
    if (!FText) {
        FText = std::make_unique<render::PageText>();
        const TMetafile* picture = FPreview->PreviewImage()->Metafile();
        if (picture && picture->Handle()) {
            try {
                *FText = render::PictureText(*picture->Handle());
            } catch (...) {
                // A page whose playback fails has no text to select.
                LogSwallowed("reading the text of the page shown");
            }
        }
    }
    return *FText;
}

QString TQRTextLayer::SelectedText() { return FSelection.Text(PageText()); }

void TQRTextLayer::SelectAll()
{
    FSelection.SelectAll(PageText());
    update();
}

void TQRTextLayer::ClearSelection()
{
    FollowPage();
    if (FSelection.Empty()) return;
    FSelection.Clear();
    update();
}

bool TQRTextLayer::CopySelection()
{
    const QString text = SelectedText();
    if (text.isEmpty()) return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
    return true;
}

QRectF TQRTextLayer::ToImage(const QRectF& mm) const
{
    const TQRPreviewImage& image = *FPreview->PreviewImage();
    const QSizeF frame = FrameMillimetres(image);
    if (frame.width() <= 0 || frame.height() <= 0) return {};
    // The picture's frame spans the image's first to last pixel column and row.
    const double sx = (image.width() - 1) / frame.width(), sy = (image.height() - 1) / frame.height();
    return {mm.x() * sx, mm.y() * sy, mm.width() * sx, mm.height() * sy};
}

QPointF TQRTextLayer::ToPage(QPointF imagePos) const
{
    const TQRPreviewImage& image = *FPreview->PreviewImage();
    const QSizeF frame = FrameMillimetres(image);
    if (frame.width() <= 0 || frame.height() <= 0 || image.width() < 2 || image.height() < 2) return {-1, -1};
    return {imagePos.x() * frame.width() / (image.width() - 1), imagePos.y() * frame.height() / (image.height() - 1)};
}

void TQRTextLayer::ShowBox(const QRectF& mm)
{
    const QRectF box = ToImage(mm);
    if (box.isEmpty()) return;
    const QPoint at = FPreview->ImageOffset() + box.center().toPoint();
    const int xMargin = std::min(static_cast<int>(box.width() / 2) + 40, FPreview->viewport()->width() / 2);
    const int yMargin = std::min(static_cast<int>(box.height() / 2) + 40, FPreview->viewport()->height() / 2);
    FPreview->ensureVisible(at.x(), at.y(), xMargin, yMargin);
}

bool TQRTextLayer::TextAt(QPoint imagePos)
{
    const QPointF at = ToPage(imagePos);
    if (at.x() < 0) return false;
    for (const render::TextLine& line : PageText().lines) {
        if (!line.bounds.contains(at)) continue;
        for (const QRectF& box : line.boxes)
            if (box.contains(at)) return true;
    }
    return false;
}

void TQRTextLayer::SelectTo(QPoint global)
{
    const QPoint pos = parentWidget()->mapFromGlobal(global);
    FSelection.SelectArea(PageText(), QRectF(ToPage(FPressPos), ToPage(pos)));
    update();
}

void TQRTextLayer::AutoScroll()
{
    QWidget* view = FPreview->viewport();
    const QPoint at = view->mapFromGlobal(FDragGlobal);
    const int dx = ScrollStep(at.x(), 0, view->width() - 1), dy = ScrollStep(at.y(), 0, view->height() - 1);
    if (!FSelecting || (dx == 0 && dy == 0)) {
        FAutoScroll->stop();
        return;
    }
    QScrollBar* h = FPreview->horizontalScrollBar();
    QScrollBar* v = FPreview->verticalScrollBar();
    const int oldH = h->value(), oldV = v->value();
    h->setValue(oldH + dx);
    v->setValue(oldV + dy);
    if (h->value() == oldH && v->value() == oldV) return;  // at the end: wait for the mouse
    // The press stays on the same point of the page: it moves with the image.
    SelectTo(FDragGlobal);
}

void TQRTextLayer::paintEvent(QPaintEvent*)
{
    FollowPage();
    FPaintedHighlights = 0;
    const TQRPreviewImage& image = *FPreview->PreviewImage();
    if (!image.ImageOK()) return;
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    if (FSource) {
        const TQRFindHighlights found = FSource(image.PageNumber());
        size_t painted = 0;
        for (size_t i = 0; i < found.Matches.size() && painted < kMaxPainted; ++i) {
            const bool current = static_cast<int>(i) == found.Current;
            for (const QRectF& mm : found.Matches[i]) {
                const QRectF box = ToImage(mm).adjusted(-1, -1, 1, 1);
                painter.fillRect(box, current ? kCurrentMatch : kMatch);
                if (current) {
                    painter.setPen(QPen(kCurrentFrame, 1.5));
                    painter.drawRect(box);
                    painter.setPen(Qt::NoPen);
                }
                ++painted;
            }
            ++FPaintedHighlights;
        }
    }
    if (!FSelection.Empty()) {
        for (const QRectF& box : FSelection.Boxes(PageText())) painter.fillRect(ToImage(box), kSelected);
    }
}

bool TQRTextLayer::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* image = parentWidget();
    if (watched == image && event->type() == QEvent::Resize) setGeometry(image->rect());
    if (MiddleDrag(event)) return true;
    if (watched == image) return MouseOnImage(event);
    return false;
}

// Middle-button drags scroll the page, on the page or beside it.
bool TQRTextLayer::MiddleDrag(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::MiddleButton) {
        FPanning = true;
        FPanPos = global;
        FPreview->viewport()->setCursor(Qt::ClosedHandCursor);
        return true;
    }
    if (!FPanning) return false;
    if (type == QEvent::MouseMove) {
        const QPoint delta = global - FPanPos;
        FPanPos = global;
        FPreview->horizontalScrollBar()->setValue(FPreview->horizontalScrollBar()->value() - delta.x());
        FPreview->verticalScrollBar()->setValue(FPreview->verticalScrollBar()->value() - delta.y());
        return true;
    }
    if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::MiddleButton) {
        FPanning = false;
        FPreview->viewport()->unsetCursor();
        return true;
    }
    return false;
}

bool TQRTextLayer::MouseOnImage(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        FLeftDown = true;
        FSelecting = false;
        FPressPos = mouse->position().toPoint();
        return false;  // the image sees the press: a click may still follow a link
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!FLeftDown || !(mouse->buttons() & Qt::LeftButton)) return false;
        const QPoint pos = mouse->position().toPoint();
        if (!FSelecting && (pos - FPressPos).manhattanLength() < QApplication::startDragDistance()) return false;
        FSelecting = true;
        FDragGlobal = mouse->globalPosition().toPoint();
        SelectTo(FDragGlobal);
        // Outside the view the page scrolls on by itself while the mouse stays there.
        if (!FPreview->viewport()->rect().contains(FPreview->viewport()->mapFromGlobal(FDragGlobal))) {
            if (!FAutoScroll->isActive()) FAutoScroll->start();
        } else {
            FAutoScroll->stop();
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        const bool selected = FSelecting, word = FWordClick;
        FLeftDown = FSelecting = FWordClick = false;
        FAutoScroll->stop();
        if (selected || word) return true;  // a drag or a double click is no click on a link
        ClearSelection();
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        FSelection.SelectWord(PageText(), ToPage(mouse->position()));
        FWordClick = true;
        FLeftDown = false;
        update();
        return true;
    }
    default: return false;
    }
}

}  // namespace qrp
