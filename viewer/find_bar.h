// TFindBar: the find bar under the tool bar (Ctrl+F). Typing searches the report at once,
// in the background, ignoring case and accents; every match of the page shown is
// highlighted and the current one more strongly. Enter / F3 go to the next match, Shift+Enter
// / Shift+F3 to the previous one, across pages, wrapping at the report's ends with a note;
// the bar shows "n de m" and the search's progress. Escape hides it.
#pragma once

#include "preview/text_layer.h"

#include <QFrame>
#include <QPointer>

#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;

namespace qrp {

class TQRPreview;
class TQRTextSearch;

class TFindBar : public QFrame {
    Q_OBJECT
public:
    // goToPage shows a page in the preview (and refreshes what follows the page shown).
    TFindBar(TQRPreview* preview, TQRTextLayer* layer, std::function<void(int page)> goToPage, QWidget* parent);
    ~TFindBar() override;

    // The report shown: a running search stops; with a text in the bar the new report is
    // searched while the bar shows.
    void SetReport(const QString& fileName, int pageCount);
    // Shows the bar with its text selected for typing over.
    void Open();
    void Close();
    // The next (direction > 0) or previous match; opens the bar when hidden.
    void Step(int direction);

    // The find highlights of a page, for the text layer; none while the bar is hidden.
    TQRFindHighlights Highlights(int page) const;

    QLineEdit* Edit() const { return FEdit; }
    QLabel* CountLabel() const { return FCount; }
    QLabel* NoteLabel() const { return FNote; }
    const TQRTextSearch& Search() const { return *FSearch; }
    // The current match: its page (0: none) and its index on that page.
    int CurrentPage() const { return FCurrentPage; }
    int CurrentIndex() const { return FCurrentIndex; }

    static constexpr int kHeight = 30;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Restart();
    void PageSearched(int page);
    void Finished();
    void SetCurrent(int page, int index);
    void Reveal();
    // The first page from `from` in direction with a match, or 0.
    int PageWithMatch(int from, int direction) const;
    void UpdateLabels();

    TQRPreview* FPreview;
    QPointer<TQRTextLayer> FLayer;  // the page view may go first when the window closes
    std::function<void(int)> FGoToPage;
    TQRTextSearch* FSearch;
    QLineEdit* FEdit;
    QToolButton* FPrevious;
    QToolButton* FNext;
    QLabel* FCount;
    QLabel* FNote;
    QToolButton* FClose;
    QString FFileName;
    int FPageCount = 0;
    int FStartPage = 1;
    int FCurrentPage = 0;
    int FCurrentIndex = 0;
    QString FWrapNote;
};

}  // namespace qrp
