#include "preview/thumbnails.h"

#include "base/swallowed.h"
#include "platform/canvas.h"
#include "preview/paint_page.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QPainter>
#include <QPixmap>
#include <QPointer>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

namespace qrp {

namespace {

constexpr int kSpacing = 8;
// A thumbnail's height before its page is read: A4's proportions.
constexpr int kPlaceholderHeight = kSpacing + TQRThumbnails::kThumbnailWidth * 297 / 210;

QImage DrawThumbnail(TQRPageList& list, int page)
{
    const std::unique_ptr<TMetafile> picture = list.GetPage(page);
    if (!picture || picture->Width() <= 0 || picture->Height() <= 0) return {};
    const int w = TQRThumbnails::kThumbnailWidth;
    // Long strips are cut at three widths: no page needs more.
    const int h = static_cast<int>(std::clamp<int64_t>(int64_t{w} * picture->Height() / picture->Width(), 8, 3 * w));
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    TCanvas canvas(&painter);
    PaintPage(picture.get(), canvas, Rect(0, 0, w, h), true);
    return image;
}

}  // namespace

// What the worker shares with the pane: the file, the pages asked for, a stop flag.
struct TQRThumbnails::TWork {
    std::string FileName;
    int Generation = 0;
    std::mutex Lock;
    std::deque<int> Queue;
    QSet<int> Asked;
    bool Running = false;
    std::atomic<bool> Stop{false};
};

TQRThumbnails::TQRThumbnails(QWidget* parent) : QListWidget(parent)
{
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setMovement(QListView::Static);
    setUniformItemSizes(false);
    setSpacing(kSpacing / 2);
    setIconSize(QSize(kThumbnailWidth, 3 * kThumbnailWidth));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::NoFocus);
    FPool.setMaxThreadCount(1);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (FOnPageClicked) FOnPageClicked(row(item) + 1);
    });
}

TQRThumbnails::~TQRThumbnails()
{
    if (FWork) FWork->Stop = true;
    FPool.waitForDone();
}

void TQRThumbnails::SetReport(const QString& fileName, int pageCount)
{
    if (FWork) FWork->Stop = true;
    FWork.reset();
    ++FGeneration;
    FDrawn.clear();
    clear();
    FEntriesMade = false;
    FPageCount = 0;
    FCurrentPage = 1;
    if (fileName.isEmpty() || pageCount < 1) return;
    FPageCount = pageCount;
    FWork = std::make_shared<TWork>();
    FWork->FileName = fileName.toStdString();
    FWork->Generation = FGeneration;
    if (isVisible()) MakeEntries();
}

// A hidden pane costs the report nothing: its entries wait until it shows.
void TQRThumbnails::MakeEntries()
{
    if (FEntriesMade || !FWork) return;
    FEntriesMade = true;
    const int entries = std::min(FPageCount, kMaxPages);
    for (int page = 1; page <= entries; ++page) {
        auto* entry = new QListWidgetItem(QString::number(page), this);
        entry->setTextAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        entry->setSizeHint(QSize(kThumbnailWidth + kSpacing, kPlaceholderHeight + fontMetrics().height()));
    }
    SetCurrentPage(FCurrentPage);
    RequestVisible();
}

void TQRThumbnails::SetCurrentPage(int page)
{
    FCurrentPage = page;
    if (page < 1 || page > count()) return;
    setCurrentRow(page - 1);
    scrollToItem(item(page - 1));
}

void TQRThumbnails::showEvent(QShowEvent* event)
{
    QListWidget::showEvent(event);
    MakeEntries();
    RequestVisible();
}

void TQRThumbnails::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    RequestVisible();
}

void TQRThumbnails::scrollContentsBy(int dx, int dy)
{
    QListWidget::scrollContentsBy(dx, dy);
    RequestVisible();
}

// Asks the worker for the thumbnails in sight (and a few beyond), nearest first.
void TQRThumbnails::RequestVisible()
{
    if (!FWork || !isVisible() || count() == 0) return;
    const QModelIndex top = indexAt(QPoint(kSpacing, 1));
    const QModelIndex bottom = indexAt(QPoint(kSpacing, viewport()->height() - 2));
    const int first = std::max(0, (top.isValid() ? top.row() : 0) - 2);
    const int last = std::min(count() - 1, (bottom.isValid() ? bottom.row() : count() - 1) + 2);
    Evict(first, last);
    std::shared_ptr<TWork> work = FWork;
    bool start = false;
    {
        std::lock_guard<std::mutex> lock(work->Lock);
        work->Queue.clear();
        for (int row = first; row <= last; ++row) {
            const int page = row + 1;
            if (!FDrawn.contains(page) && !work->Asked.contains(page)) work->Queue.push_back(page);
        }
        start = !work->Queue.empty() && !work->Running;
        if (start) work->Running = true;
    }
    if (!start) return;
    QPointer<TQRThumbnails> self(this);
    FPool.start([work, self] {
        std::unique_ptr<TQRPageList> list;
        try {
            list = std::make_unique<TQRPageList>();
            list->LoadFromFile(work->FileName);
        } catch (...) {
            LogSwallowed("opening the report for its thumbnails");
            list.reset();
        }
        for (;;) {
            int page = 0;
            {
                std::lock_guard<std::mutex> lock(work->Lock);
                if (work->Stop || work->Queue.empty() || !list) {
                    work->Running = false;
                    return;
                }
                page = work->Queue.front();
                work->Queue.pop_front();
                work->Asked.insert(page);
            }
            QImage image;
            try {
                image = DrawThumbnail(*list, page);
            } catch (...) {
                LogSwallowed("drawing a thumbnail");
                image = QImage();  // a page that cannot be read keeps its placeholder
            }
            if (work->Stop) continue;
            const int generation = work->Generation;
            QMetaObject::invokeMethod(
                self.data(), [self, generation, page, image] {
                    if (self) self->Drawn(generation, page, image);
                },
                Qt::QueuedConnection);
        }
    });
}

void TQRThumbnails::Drawn(int generation, int page, const QImage& image)
{
    if (generation != FGeneration || page < 1 || page > count() || image.isNull()) return;
    QListWidgetItem* it = item(page - 1);
    it->setIcon(QIcon(QPixmap::fromImage(image)));
    it->setSizeHint(QSize(kThumbnailWidth + kSpacing, image.height() + kSpacing + fontMetrics().height()));
    FDrawn.insert(page);
    if (FWork) {
        std::lock_guard<std::mutex> lock(FWork->Lock);
        FWork->Asked.remove(page);
    }
}

// Beyond kMaxDrawn, the thumbnails farthest from sight go; they are drawn again when needed.
void TQRThumbnails::Evict(int firstVisible, int lastVisible)
{
    if (FDrawn.size() <= kMaxDrawn) return;
    std::vector<int> pages(FDrawn.begin(), FDrawn.end());
    const auto distance = [&](int page) {
        const int row = page - 1;
        return row < firstVisible ? firstVisible - row : row > lastVisible ? row - lastVisible : 0;
    };
    std::sort(pages.begin(), pages.end(), [&](int a, int b) { return distance(a) > distance(b); });
    for (size_t i = 0; i < pages.size() && FDrawn.size() > kMaxDrawn; ++i) {
        if (distance(pages[i]) == 0) break;
        item(pages[i] - 1)->setIcon(QIcon());
        FDrawn.remove(pages[i]);
    }
}

}  // namespace qrp
