#include "viewer/find_bar.h"

#include "preview/preview.h"
#include "preview/text_search.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace qrp {

namespace {

const QString kWrappedToStart = QStringLiteral("Fim do relatório: continua do início");
const QString kWrappedToEnd = QStringLiteral("Início do relatório: continua do fim");

QToolButton* BarButton(QWidget* parent, const QString& text, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

TFindBar::TFindBar(TQRPreview* preview, TQRTextLayer* layer, std::function<void(int page)> goToPage, QWidget* parent)
    : QFrame(parent), FPreview(preview), FLayer(layer), FGoToPage(std::move(goToPage)), FSearch(new TQRTextSearch(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(6);
    auto* caption = new QLabel(QStringLiteral("Localizar:"), this);
    FEdit = new QLineEdit(this);
    FEdit->setMaxLength(TQRTextSearch::kMaxNeedle);
    FEdit->setPlaceholderText(QStringLiteral("texto no relatório"));
    FEdit->setClearButtonEnabled(true);
    FEdit->setFixedWidth(260);
    FEdit->installEventFilter(this);
    caption->setBuddy(FEdit);
    FPrevious = BarButton(this, QStringLiteral("▲"), QStringLiteral("Ocorrência anterior (Shift+F3)"));
    FNext = BarButton(this, QStringLiteral("▼"), QStringLiteral("Próxima ocorrência (F3)"));
    FCount = new QLabel(this);
    FCount->setMinimumWidth(90);
    FNote = new QLabel(this);
    FClose = BarButton(this, QStringLiteral("✕"), QStringLiteral("Fechar (Esc)"));
    row->addWidget(caption);
    row->addWidget(FEdit);
    row->addWidget(FPrevious);
    row->addWidget(FNext);
    row->addWidget(FCount);
    row->addWidget(FNote, 1);
    row->addWidget(FClose);

    connect(FEdit, &QLineEdit::textChanged, this, [this] { Restart(); });
    connect(FPrevious, &QToolButton::clicked, this, [this] { Step(-1); });
    connect(FNext, &QToolButton::clicked, this, [this] { Step(1); });
    connect(FClose, &QToolButton::clicked, this, [this] { Close(); });
    connect(FSearch, &TQRTextSearch::PageSearched, this, [this](int page) { PageSearched(page); });
    connect(FSearch, &TQRTextSearch::Finished, this, [this] { Finished(); });
    layer->SetHighlightSource([this](int page) { return Highlights(page); });
    hide();
}

TFindBar::~TFindBar()
{
    if (FLayer) FLayer->ClearHighlightSource();
}

void TFindBar::SetReport(const QString& fileName, int pageCount)
{
    FFileName = fileName;
    FPageCount = pageCount;
    FCurrentPage = 0;
    FCurrentIndex = 0;
    FWrapNote.clear();
    FSearch->Cancel();
    if (isVisible() && !FEdit->text().isEmpty())
        Restart();
    else
        FSearch->Start({}, 0, {});  // the old report's matches go
}

void TFindBar::Open()
{
    const bool wasHidden = isHidden();
    show();
    FEdit->setFocus(Qt::ShortcutFocusReason);
    FEdit->selectAll();
    // Reopened on another report or another page than its matches: search again.
    if (wasHidden && !FEdit->text().isEmpty() && FSearch->Needle() != FEdit->text()) Restart();
    FLayer->update();
}

void TFindBar::Close()
{
    if (isHidden()) return;
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    if (hadFocus) FPreview->setFocus(Qt::OtherFocusReason);
    FLayer->update();
}

void TFindBar::Restart()
{
    FCurrentPage = 0;
    FCurrentIndex = 0;
    FWrapNote.clear();
    FStartPage = FPreview->PageNumber();
    FSearch->Start(FFileName, FPageCount, FEdit->text());
    UpdateLabels();
    FLayer->update();
}

void TFindBar::PageSearched(int page)
{
    if (FCurrentPage == 0 && page >= FStartPage && FSearch->CountOn(page) > 0) {
        SetCurrent(page, 0);
        Reveal();
    } else if (page == FPreview->PageNumber()) {
        FLayer->update();
    }
    UpdateLabels();
}

void TFindBar::Finished()
{
    // Nothing from the page the search began on to the end: the first match from the start.
    if (FCurrentPage == 0 && FSearch->Total() > 0) {
        SetCurrent(PageWithMatch(1, 1), 0);
        FWrapNote = kWrappedToStart;
        Reveal();
    }
    UpdateLabels();
}

int TFindBar::PageWithMatch(int from, int direction) const
{
    for (int page = from; page >= 1 && page <= FSearch->PageCount(); page += direction)
        if (FSearch->CountOn(page) > 0) return page;
    return 0;
}

void TFindBar::Step(int direction)
{
    if (isHidden()) {
        Open();
        if (FSearch->Needle() != FEdit->text()) return;  // the search starts over
    }
    if (FEdit->text().isEmpty() || FSearch->Total() == 0) {
        UpdateLabels();
        return;
    }
    FWrapNote.clear();
    const int shown = FPreview->PageNumber();
    int page = 0, index = 0;
    if (FCurrentPage > 0 && FCurrentIndex + direction >= 0 && FCurrentIndex + direction < FSearch->CountOn(FCurrentPage)) {
        page = FCurrentPage;
        index = FCurrentIndex + direction;
    } else {
        // From the current match's page, or from the page shown when there is none.
        const int from = FCurrentPage > 0 ? FCurrentPage + direction : shown;
        page = PageWithMatch(from, direction);
        if (page == 0) {
            // Pages still unsearched may hold the next match: no wrap before the search ends.
            if (FSearch->Running()) {
                UpdateLabels();
                return;
            }
            page = direction > 0 ? PageWithMatch(1, 1) : PageWithMatch(FSearch->PageCount(), -1);
            FWrapNote = direction > 0 ? kWrappedToStart : kWrappedToEnd;
        }
        index = direction > 0 ? 0 : FSearch->CountOn(page) - 1;
    }
    if (page == 0) return;
    SetCurrent(page, index);
    Reveal();
    UpdateLabels();
}

void TFindBar::SetCurrent(int page, int index)
{
    FCurrentPage = page;
    FCurrentIndex = index;
}

void TFindBar::Reveal()
{
    if (FCurrentPage == 0) return;
    if (FPreview->PageNumber() != FCurrentPage) FGoToPage(FCurrentPage);
    if (FPreview->PageNumber() != FCurrentPage) return;  // the page could not be shown
    const std::vector<TQRMatchBoxes>& hits = FSearch->HitsOn(FCurrentPage);
    if (FCurrentIndex >= 0 && FCurrentIndex < static_cast<int>(hits.size()))
        FLayer->ShowBox(MatchBounds(hits[static_cast<size_t>(FCurrentIndex)]));
    FLayer->update();
}

TQRFindHighlights TFindBar::Highlights(int page) const
{
    TQRFindHighlights found;
    if (isHidden() || FEdit->text().isEmpty() || FSearch->Needle() != FEdit->text()) return found;
    found.Matches = FSearch->HitsOn(page);
    found.Current = page == FCurrentPage ? FCurrentIndex : -1;
    return found;
}

void TFindBar::UpdateLabels()
{
    const bool typed = !FEdit->text().isEmpty();
    const int total = FSearch->Total();
    const int current = FCurrentPage > 0 ? FSearch->CountBefore(FCurrentPage) + FCurrentIndex + 1 : 0;
    FCount->setText(typed ? QStringLiteral("%1 de %2").arg(current).arg(total) : QString());
    QStringList notes;
    if (typed && FSearch->Running())
        notes << QStringLiteral("Procurando… página %1 de %2").arg(FSearch->SearchedPages()).arg(FSearch->PageCount());
    else if (typed && total == 0)
        notes << QStringLiteral("Nenhuma ocorrência");
    if (!FWrapNote.isEmpty()) notes << FWrapNote;
    if (FSearch->FailedPages() > 0) notes << QStringLiteral("%1 página(s) não puderam ser lidas").arg(FSearch->FailedPages());
    if (FSearch->Truncated()) notes << QStringLiteral("ocorrências demais: a busca parou antes do fim");
    FNote->setText(notes.join(QStringLiteral(" · ")));
    // A text with no match at all shows it in the field too.
    const bool missing = typed && !FSearch->Running() && total == 0;
    FEdit->setStyleSheet(missing ? QStringLiteral("QLineEdit { background: #f6d0d0; }") : QString());
    FPrevious->setEnabled(total > 0);
    FNext->setEnabled(total > 0);
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Step(key->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace qrp
