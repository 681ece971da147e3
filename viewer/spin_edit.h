// TSpinEdit: a numeric field with two small step buttons, as the viewer's zoom field.
//
// Reading Value parses the text and gives MinValue when the text is no integer; it does not
// clamp. Writing Value clamps and shows the number; writing the text already shown raises
// no change. Typing accepts digits, signs, the decimal separator and control characters
// other than Enter; anything else is dropped with a beep. The step buttons repeat while
// held: first after 400 ms, then every 100 ms. Leaving the field clamps an outside value.
#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace qrp {

class TSpinEdit;

// The text part: filters keys and steps on Up / Down.
class TSpinEditText : public QLineEdit {
    Q_OBJECT
public:
    explicit TSpinEditText(TSpinEdit* owner);
    // The owner is being destroyed: the focus it takes away is no exit to check.
    void Orphan() { FOwner = nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TSpinEdit* FOwner;
};

// One of the two small buttons: steps at once when pressed, then repeats while held.
class TSpinButton : public QAbstractButton {
    Q_OBJECT
public:
    TSpinButton(bool up, QWidget* parent);
    bool IsUp() const { return FUp; }
    const QTimer& RepeatTimer() const { return FRepeat; }

    static constexpr int kFirstRepeatMs = 400;
    static constexpr int kNextRepeatMs = 100;

signals:
    void Step();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RepeatStep();

    bool FUp;
    QTimer FRepeat;
};

class TSpinEdit : public QWidget {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);
    ~TSpinEdit() override;

    int MinValue() const { return FMinValue; }
    void SetMinValue(int v) { FMinValue = v; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int v) { FMaxValue = v; }
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    int MaxLength() const { return FEdit->maxLength(); }
    void SetMaxLength(int n) { FEdit->setMaxLength(n); }

    int Value() const;
    void SetValue(int value);
    QString Text() const { return FEdit->text(); }
    void SetText(const QString& text) { FEdit->setText(text); }

    // Called after every change of the text, whatever caused it.
    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }

    TSpinEditText* Edit() const { return FEdit; }
    TSpinButton* UpButton() const { return FUpButton; }
    TSpinButton* DownButton() const { return FDownButton; }

    void StepUp() { SetValue(Value() + FIncrement); }
    void StepDown() { SetValue(Value() - FIncrement); }
    // Clamps an outside value when the keyboard focus leaves.
    void CheckOnExit();
    // Whether the text part takes a typed character (control characters included).
    static bool IsValidChar(QChar c);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int Clamp(int value) const;

    TSpinEditText* FEdit;
    TSpinButton* FUpButton;
    TSpinButton* FDownButton;
    int FMinValue = 0;
    int FMaxValue = 100;
    int FIncrement = 1;
    std::function<void()> FOnChange;
};

}  // namespace qrp
