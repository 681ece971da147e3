// A discreet note at the bottom right of the window while the page shown has records the
// player skipped (damaged or not supported); nothing at all for a clean page. Its tool tip
// lists the skipped records.
#pragma once

#include "render/play.h"

#include <QLabel>

namespace qrp {

class TMetafile;
class TQRPrinter;

// What playing the page would skip, found on a device that draws nothing, at the page's
// size on a 96-dpi screen.
render::PlayStats SurveyPage(const TMetafile& page);

class TPageNote : public QLabel {
    Q_OBJECT
public:
    // The note of window, made on first use as a child of it.
    static TPageNote& Of(QWidget& window);

    // Shows the note for page pageNumber of printer, or hides it (a clean page, no page, no
    // printer).
    void ShowFor(TQRPrinter* printer, int pageNumber);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TPageNote(QWidget& window);
    void Place();
};

}  // namespace qrp
