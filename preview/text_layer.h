// TQRTextLayer: the text of the page shown in a preview, over its page image. It paints
// the find highlights (every match of the page, the current one stronger) and the
// selection from the page text's boxes scaled to the image, whatever draws the image
// beneath; it takes the mouse for the selection (left drag: a rectangle, double click: a
// word) and for scrolling (middle drag). A plain left click passes to the image, so a
// click on a hyperlink area still follows it; a drag that starts on one selects.
#pragma once

#include "preview/text_search.h"
#include "preview/text_selection.h"

#include <QPoint>
#include <QRectF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace qrp {

class TQRPreview;

// The find highlights of a page: its matches, and the index of the current one (-1: none
// on this page).
struct TQRFindHighlights {
    std::vector<TQRMatchBoxes> Matches;
    int Current = -1;
};

class TQRTextLayer : public QWidget {
    Q_OBJECT
public:
    // Lies over the preview's page image and follows its size; the preview owns it.
    explicit TQRTextLayer(TQRPreview* preview);
    ~TQRTextLayer() override;

    // Asked on every paint for the highlights of the page shown.
    using THighlightSource = std::function<TQRFindHighlights(int page)>;
    void SetHighlightSource(THighlightSource source);
    void ClearHighlightSource();

    // The shown page's text in reading order (read once per page shown); empty without one.
    const render::PageText& PageText();
    const TTextSelection& Selection() const { return FSelection; }
    QString SelectedText();
    void SelectAll();
    void ClearSelection();
    // Puts the selected text on the clipboard; false when nothing is selected.
    bool CopySelection();

    // Page millimetres to image pixels, and back.
    QRectF ToImage(const QRectF& mm) const;
    QPointF ToPage(QPointF imagePos) const;
    // Scrolls the preview so that a box (millimetres on the page shown) is in sight.
    void ShowBox(const QRectF& mm);

    // Whether an image point lies on a character of the page's text.
    bool TextAt(QPoint imagePos);

    // Matches highlighted at the last paint (tests count them).
    int PaintedHighlights() const { return FPaintedHighlights; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Drops the page text and the selection when the image holds another picture.
    void FollowPage();
    bool MouseOnImage(QEvent* event);
    bool MiddleDrag(QEvent* event);
    // The selection from the press to a point given on the screen (the page may have
    // scrolled under the mouse since the press).
    void SelectTo(QPoint global);
    // While a selecting drag is outside the view, the view scrolls towards the mouse.
    void AutoScroll();

    TQRPreview* FPreview;
    THighlightSource FSource;
    int FPageFetch = -1;  // the image's fetch count the page text was read at
    std::unique_ptr<render::PageText> FText;
    TTextSelection FSelection;
    // The left button's press: where, and whether it became a selecting drag.
    bool FLeftDown = false;
    bool FSelecting = false;
    bool FWordClick = false;
    QPoint FPressPos;
    QPoint FDragGlobal;  // the selecting drag's last mouse position on the screen
    QTimer* FAutoScroll;
    // The middle button's drag: the last global position.
    bool FPanning = false;
    QPoint FPanPos;
    int FPaintedHighlights = 0;
};

}  // namespace qrp
