// TQRProgressForm: the small window a print job shows while it runs, with a gauge, a
// percentage line and a Cancel button. It is the report printer's Client during the job.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qrp {

class TQRPrinter;

class TQRProgressForm : public QWidget {
    Q_OBJECT
public:
    explicit TQRProgressForm(TQRPrinter& printer, QWidget* parent = nullptr);

    QProgressBar* Gauge() const { return FGauge; }
    QLabel* Info() const { return FInfo; }
    QPushButton* CancelButton() const { return FCancelButton; }

protected:
    // A progress notice shows the report printer's current progress when it is a multiple
    // of 5, then lets the GUI process its pending events.
    void customEvent(QEvent* event) override;

private:
    void ShowProgress(int progress);

    TQRPrinter& FPrinter;
    QProgressBar* FGauge;
    QLabel* FInfo;
    QPushButton* FCancelButton;
};

// The Info text for a progress value: "40%  Completed".
QString ProgressInfoText(int progress);

}  // namespace qrp
