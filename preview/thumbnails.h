// TQRThumbnails: a column of page thumbnails beside the preview. Thumbnails are drawn on a
// worker thread from the report file itself (its own page list, so the page view's stream
// is never shared) and cached; the pane asks only for the pages it shows, nearest first,
// and keeps a bounded number of drawn pages. A click names a page.
#pragma once

#include <QImage>
#include <QListWidget>
#include <QSet>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace qrp {

class TQRThumbnails : public QListWidget {
    Q_OBJECT
public:
    explicit TQRThumbnails(QWidget* parent = nullptr);
    ~TQRThumbnails() override;

    // The report file shown (pageCount pages); the old report's thumbnails are dropped and
    // its drawing stopped. An empty name or no pages leaves the pane empty. The pane's
    // entries are made when it is first shown, at most kMaxPages of them.
    void SetReport(const QString& fileName, int pageCount);
    int PageCount() const { return FPageCount; }
    // Marks the page shown in the page view and brings its thumbnail into sight.
    void SetCurrentPage(int page);
    void SetOnPageClicked(std::function<void(int page)> handler) { FOnPageClicked = std::move(handler); }

    // Pages whose thumbnail is drawn and held now.
    int DrawnCount() const { return static_cast<int>(FDrawn.size()); }
    bool IsDrawn(int page) const { return FDrawn.contains(page); }

    static constexpr int kThumbnailWidth = 110;
    static constexpr int kPaneWidth = 150;
    static constexpr int kMaxDrawn = 300;  // thumbnails held at once (about 70 KB each)
    static constexpr int kMaxPages = 20000;  // entries in the pane; no real report has more

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct TWork;
    void MakeEntries();
    void RequestVisible();
    void Drawn(int generation, int page, const QImage& image);
    void Evict(int firstVisible, int lastVisible);

    QThreadPool FPool;
    std::shared_ptr<TWork> FWork;
    int FGeneration = 0;
    int FPageCount = 0;
    int FCurrentPage = 1;
    bool FEntriesMade = false;
    QSet<int> FDrawn;
    std::function<void(int)> FOnPageClicked;
};

}  // namespace qrp
