#include "viewer/spin_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPolygon>
#include <QStyleOptionButton>

#include <algorithm>

namespace qrp {

namespace {
constexpr int kButtonWidth = 15;
}

// ---- text part ----

TSpinEditText::TSpinEditText(TSpinEdit* owner) : QLineEdit(owner), FOwner(owner) {}

void TSpinEditText::keyPressEvent(QKeyEvent* event)
{
    if (!FOwner) return QLineEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_Up && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        FOwner->StepUp();
        return;
    }
    if (event->key() == Qt::Key_Down && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        FOwner->StepDown();
        return;
    }
    const QString text = event->text();
    const bool isEnter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isEnter || (text.size() == 1 && !TSpinEdit::IsValidChar(text.at(0)))) {
        QApplication::beep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TSpinEditText::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A popup (the context menu) or another window taking the focus is no exit.
    if (FOwner && event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) FOwner->CheckOnExit();
}

// ---- step buttons ----

TSpinButton::TSpinButton(bool up, QWidget* parent) : QAbstractButton(parent), FUp(up)
{
    setFocusPolicy(Qt::NoFocus);
    FRepeat.setSingleShot(false);
    connect(&FRepeat, &QTimer::timeout, this, &TSpinButton::RepeatStep);
}

void TSpinButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setDown(true);
    FRepeat.start(kFirstRepeatMs);
    emit Step();
}

void TSpinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    FRepeat.stop();
    setDown(false);
}

void TSpinButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        FRepeat.stop();
        setDown(false);
    }
    QAbstractButton::changeEvent(event);
}

void TSpinButton::RepeatStep()
{
    FRepeat.setInterval(kNextRepeatMs);
    emit Step();
}

void TSpinButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
    // A small filled triangle, grey while disabled.
    const QColor color = isEnabled() ? palette().color(QPalette::ButtonText) : palette().color(QPalette::Disabled, QPalette::ButtonText);
    const int cx = width() / 2 + (isDown() ? 1 : 0);
    const int cy = height() / 2 + (isDown() ? 1 : 0);
    QPolygon tri;
    if (FUp)
        tri << QPoint(cx - 3, cy + 1) << QPoint(cx + 3, cy + 1) << QPoint(cx, cy - 2);
    else
        tri << QPoint(cx - 3, cy - 1) << QPoint(cx + 3, cy - 1) << QPoint(cx, cy + 2);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawPolygon(tri);
}

// ---- the field ----

TSpinEdit::TSpinEdit(QWidget* parent)
    : QWidget(parent), FEdit(new TSpinEditText(this)), FUpButton(new TSpinButton(true, this)), FDownButton(new TSpinButton(false, this))
{
    setFocusProxy(FEdit);
    setFocusPolicy(Qt::StrongFocus);
    FEdit->setTextMargins(0, 0, 0, 0);
    connect(FEdit, &QLineEdit::textChanged, this, [this] {
        if (FOnChange) FOnChange();
    });
    connect(FUpButton, &TSpinButton::Step, this, [this] {
        FEdit->setFocus(Qt::MouseFocusReason);
        StepUp();
    });
    connect(FDownButton, &TSpinButton::Step, this, [this] {
        FEdit->setFocus(Qt::MouseFocusReason);
        StepDown();
    });
}

TSpinEdit::~TSpinEdit() { FEdit->Orphan(); }

bool TSpinEdit::IsValidChar(QChar c)
{
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) return false;
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;  // control characters
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return true;
    if (c == QLatin1Char('+') || c == QLatin1Char('-')) return true;
    const QString separator = QLocale::system().decimalPoint();
    return separator.size() == 1 && c == separator.at(0);
}

int TSpinEdit::Clamp(int value) const
{
    return std::clamp(value, FMinValue, std::max(FMinValue, FMaxValue));
}

int TSpinEdit::Value() const
{
    bool ok = false;
    const int v = FEdit->text().toInt(&ok, 10);
    return ok ? v : FMinValue;
}

void TSpinEdit::SetValue(int value)
{
    const QString text = QString::number(Clamp(value));
    if (text != FEdit->text()) FEdit->setText(text);
}

void TSpinEdit::CheckOnExit()
{
    const int v = Value();
    if (Clamp(v) != v) SetValue(v);
}

void TSpinEdit::resizeEvent(QResizeEvent*)
{
    const int w = width(), h = height();
    const int bw = std::min(kButtonWidth, w);
    FEdit->setGeometry(0, 0, w - bw, h);
    FUpButton->setGeometry(w - bw, 0, bw, h / 2);
    FDownButton->setGeometry(w - bw, h / 2, bw, h - h / 2);
}

}  // namespace qrp
