// Paging and fitting from the keyboard and the wheel. The paging keys work from anywhere in
// the window (window shortcuts), except in the zoom field, which keeps them while it is
// edited; the Exit button keeps Space, its own key. Page Down, Space and the wheel scroll
// the page first and turn to the next page's top only at its bottom; Page Up, Shift+Space
// and the wheel turn back to the previous page's bottom.
#include "viewer/form1.h"

#include "preview/preview.h"
#include "viewer/spin_edit.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>

namespace qrp {

namespace {

constexpr int kWheelNotch = 120;

bool IsPagingKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    switch (key.key()) {
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Home:
    case Qt::Key_End: return mods == Qt::NoModifier;
    case Qt::Key_Space: return mods == Qt::NoModifier || mods == Qt::ShiftModifier;
    default: return false;
    }
}

}  // namespace

void TForm1::CreatePagingKeys()
{
    auto key = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this, action] { Guarded(action); });
    };
    key(QKeySequence(Qt::Key_PageDown), [this] { PageForward(); });
    key(QKeySequence(Qt::Key_Space), [this] { PageForward(); });
    key(QKeySequence(Qt::Key_PageUp), [this] { PageBack(); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_Space), [this] { PageBack(); });
    key(QKeySequence(Qt::Key_Home), [this] {
        SpeedButton1->click();
        if (SpeedButton1->isEnabled()) prev->ScrollToPageTop();
    });
    key(QKeySequence(Qt::Key_End), [this] { SpeedButton4->click(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { FitZoom(true); });
    key(QKeySequence(Qt::CTRL | Qt::Key_9), [this] { FitZoom(false); });
    SpinEdit1->Edit()->installEventFilter(this);
    BitBtn1->installEventFilter(this);
}

bool TForm1::KeepsPagingKey(QObject* watched, QEvent* event) const
{
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool keeps = (watched == SpinEdit1->Edit() && IsPagingKey(*key)) ||
                       (watched == BitBtn1 && key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier);
    if (keeps) event->accept();
    return keeps;
}

void TForm1::PageForward()
{
    if (!SpeedButton3->isEnabled()) return;
    if (prev->ScrollByView(1)) return;
    SpeedButton3->click();
}

void TForm1::PageBack()
{
    if (!SpeedButton2->isEnabled()) return;
    if (prev->ScrollByView(-1)) return;
    const int page = prev->PageNumber();
    SpeedButton2->click();
    if (prev->PageNumber() != page) prev->ScrollToPageBottom();
}

void TForm1::FitZoom(bool wholePage)
{
    if (!SpinEdit1->isEnabled()) return;
    if (wholePage)
        prev->ZoomToFit();
    else
        prev->ZoomToWidth();
    // The field holds 30..190: a fit beyond it is shown, and applied, at the limit.
    const int zoom = std::clamp(prev->Zoom(), SpinEdit1->MinValue(), SpinEdit1->MaxValue());
    SpinEdit1->SetValue(zoom);
    prev->SetZoom(zoom);
}

// Wheel turns at the page's ends: a notch past the bottom shows the next page's top, a
// notch past the top the previous page's bottom. Anywhere else the view scrolls.
bool TForm1::WheelPages(int angleDelta)
{
    const bool down = angleDelta < 0;
    if (angleDelta == 0 || !SpeedButton3->isEnabled() || (down ? !prev->AtPageBottom() : !prev->AtPageTop())) {
        FWheelPageRemainder = 0;
        return false;
    }
    if ((FWheelPageRemainder < 0) != down) FWheelPageRemainder = 0;
    FWheelPageRemainder += angleDelta;
    if (std::abs(FWheelPageRemainder) < kWheelNotch) return true;
    FWheelPageRemainder = 0;
    if (down) {
        SpeedButton3->click();
    } else {
        const int page = prev->PageNumber();
        SpeedButton2->click();
        if (prev->PageNumber() != page) prev->ScrollToPageBottom();
    }
    return true;
}

}  // namespace qrp
