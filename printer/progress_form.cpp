#include "printer/progress_form.h"

#include "printer/notices.h"
#include "printer/qr_printer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace qrp {

namespace {

// Client area and control boxes at 96 dots per inch.
constexpr int kClientWidth = 149;
constexpr int kClientHeight = 97;

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
}

}  // namespace

QString ProgressInfoText(int progress)
{
    return QString::number(progress) + QStringLiteral("% ") + QStringLiteral(" Completed");
}

TQRProgressForm::TQRProgressForm(TQRPrinter& printer, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      FPrinter(printer),
      FGauge(new QProgressBar(this)),
      FInfo(new QLabel(this)),
      FCancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Printing progress"));
    setFixedSize(kClientWidth, kClientHeight);

    FGauge->setObjectName(QStringLiteral("Gauge"));
    FGauge->setGeometry(16, 18, 114, 16);
    FGauge->setRange(0, 100);
    FGauge->setValue(0);
    FGauge->setTextVisible(false);

    FInfo->setObjectName(QStringLiteral("Info"));
    FInfo->setGeometry(0, 44, 145, 13);
    FInfo->setAlignment(Qt::AlignCenter);

    FCancelButton->setObjectName(QStringLiteral("CancelButton"));
    FCancelButton->setGeometry(36, 68, 75, 25);
    FCancelButton->setAutoDefault(false);
    connect(FCancelButton, &QPushButton::clicked, this, [this] { FPrinter.Cancel(); });

    CentreOnScreen(*this);
}

void TQRProgressForm::customEvent(QEvent* event)
{
    if (AsProgressNotice(event)) {
        ShowProgress(FPrinter.Progress());
        return;
    }
    QWidget::customEvent(event);
}

void TQRProgressForm::ShowProgress(int progress)
{
    if (progress % 5 != 0) return;
    FGauge->setValue(progress);
    FInfo->setText(ProgressInfoText(progress));
    QCoreApplication::processEvents();
}

}  // namespace qrp
