// Find and copy in the page view: the find bar under the tool bar (Ctrl+F, F3, Shift+F3,
// Escape) and the text layer over the page (selection by mouse, Ctrl+A, Ctrl+C). The
// text fields keep their own Ctrl+A and Ctrl+C while they have the focus.
#include "preview/preview.h"
#include "preview/text_layer.h"
#include "viewer/find_bar.h"
#include "viewer/form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QShortcut>

namespace qrp {

void TForm1::CreateFindBar()
{
    TextLayer = new TQRTextLayer(prev);
    FindBar = new TFindBar(
        prev, TextLayer,
        [this](int page) {
            Guarded([&] {
                prev->SetPageNumber(page);
                FormShow(this);
            });
        },
        this);
    FindBar->setPalette(palette());
    FindBar->setFont(font());
    auto key = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, [this, action] { Guarded(action); });
        return s;
    };
    key(QKeySequence::Find, [this] {
        if (prev->QRPrinter()) FindBar->Open();
    });
    key(QKeySequence(Qt::Key_F3), [this] { FindBar->Step(1); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindBar->Step(-1); });
    // Escape belongs to the bar: its shortcut lives only while the bar shows.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), FindBar);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { FindBar->Close(); });
    key(QKeySequence::SelectAll, [this] { TextLayer->SelectAll(); });
    key(QKeySequence::Copy, [this] { TextLayer->CopySelection(); });
    // The page view gives the bar its room whenever it shows or hides (eventFilter).
    FindBar->installEventFilter(this);
}

void TForm1::ArrangeFindBar()
{
    if (!FindBar || FindBar->isHidden()) return;
    const QRect view = prev->geometry();
    const int bar = std::min(TFindBar::kHeight, view.height() / 2);
    FindBar->setGeometry(view.left(), view.top(), view.width(), bar);
    prev->setGeometry(view.left(), view.top() + bar, view.width(), view.height() - bar);
}

void TForm1::ArrangePanes()
{
    FLayout.Apply(size());
    ArrangeFindBar();
    ArrangeThumbnailPane();
    // The page label grows from its designed corner to its whole text.
    Label1->adjustSize();
}

}  // namespace qrp
