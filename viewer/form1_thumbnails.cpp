// The thumbnail pane (F4, or the page view's menu) and that menu: when shown, the pane takes
// the left of the page view's place, which keeps the rest of the window as it was.
#include "preview/preview.h"
#include "preview/thumbnails.h"
#include "viewer/form1.h"
#include "viewer/spin_edit.h"

#include <QAction>
#include <QMenu>

namespace qrp {

void TForm1::CreateThumbnailPane()
{
    Thumbnails = new TQRThumbnails(this);
    Thumbnails->hide();
    Thumbnails->setPalette(palette());
    Thumbnails->SetOnPageClicked([this](int page) {
        Guarded([&] {
            prev->SetPageNumber(page);
            FormShow(this);
        });
    });
    ThumbnailsAction = new QAction(QStringLiteral("Miniaturas das páginas"), this);
    ThumbnailsAction->setCheckable(true);
    ThumbnailsAction->setShortcut(QKeySequence(Qt::Key_F4));
    ThumbnailsAction->setShortcutContext(Qt::WindowShortcut);
    addAction(ThumbnailsAction);
    connect(ThumbnailsAction, &QAction::toggled, this, [this](bool on) { SetThumbnailsVisible(on); });
    prev->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(prev, &QWidget::customContextMenuRequested, this, [this](QPoint pos) { ShowPreviewMenu(pos); });
}

void TForm1::SetThumbnailsVisible(bool visible)
{
    if (ThumbnailsAction->isChecked() != visible) {
        ThumbnailsAction->setChecked(visible);  // comes back here through toggled
        return;
    }
    Thumbnails->setVisible(visible);
    ArrangePanes();
    if (visible) Thumbnails->SetCurrentPage(prev->PageNumber());
}

void TForm1::ArrangeThumbnailPane()
{
    if (!Thumbnails || !Thumbnails->isVisibleTo(this)) return;
    const QRect view = prev->geometry();
    const int pane = std::min(TQRThumbnails::kPaneWidth, view.width() / 2);
    Thumbnails->setGeometry(view.left(), view.top(), pane, view.height());
    prev->setGeometry(view.left() + pane, view.top(), view.width() - pane, view.height());
}

// The page view's menu ("Exibir"): the pane and the two fits, with their keys.
void TForm1::ShowPreviewMenu(QPoint pos)
{
    QMenu menu(this);
    menu.setTitle(QStringLiteral("Exibir"));
    menu.addAction(ThumbnailsAction);
    menu.addSeparator();
    QAction* fit = menu.addAction(QStringLiteral("Página inteira"));
    fit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    QAction* width = menu.addAction(QStringLiteral("Largura da página"));
    width->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_9));
    fit->setEnabled(SpinEdit1->isEnabled());
    width->setEnabled(SpinEdit1->isEnabled());
    QAction* chosen = menu.exec(prev->mapToGlobal(pos));
    if (chosen == fit) Guarded([&] { FitZoom(true); });
    if (chosen == width) Guarded([&] { FitZoom(false); });
}

}  // namespace qrp
