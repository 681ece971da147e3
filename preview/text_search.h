// TQRTextSearch: finds a text in every page of a report file on a worker thread, page by
// page in page order, ignoring case and accents. The worker reads the file through its own
// page list (the page view's stream is never shared) and plays each page without
// rasterising; each page's matches come back to the owner's thread as the page is done.
// A new Start or Cancel stops the running search: results of an older search never arrive.
#pragma once

#include "render/page_text.h"

#include <QObject>
#include <QRectF>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <vector>

namespace qrp {

// A match's boxes in millimetres on the page's frame: one per line it spans, in reading order.
using TQRMatchBoxes = std::vector<QRectF>;

class TQRTextSearch : public QObject {
    Q_OBJECT
public:
    explicit TQRTextSearch(QObject* parent = nullptr);
    ~TQRTextSearch() override;

    // Searches pages 1..pageCount of fileName for needle (at most kMaxNeedle units are used).
    // An empty needle, name or page count searches nothing and finishes at once.
    void Start(const QString& fileName, int pageCount, const QString& needle);
    void Cancel();

    const QString& Needle() const { return FNeedle; }
    bool Running() const { return FRunning; }
    int PageCount() const { return FPageCount; }
    int SearchedPages() const { return FSearched; }
    // Matches found so far; a page not searched yet has none.
    int Total() const { return FTotal; }
    int CountOn(int page) const;
    // Each match's boxes, in reading order.
    const std::vector<TQRMatchBoxes>& HitsOn(int page) const;
    // Matches on the pages before page (all searched once page is).
    int CountBefore(int page) const;
    // Pages that could not be read, and whether the match limits cut the search short.
    int FailedPages() const { return FFailed; }
    bool Truncated() const { return FTruncated; }

    static constexpr int kMaxNeedle = 256;
    static constexpr int kMaxHitsPerPage = 10'000;
    static constexpr int kMaxHits = 200'000;
    static constexpr int kMaxPages = 100'000;

signals:
    // One more page searched (page's matches are in already).
    void PageSearched(int page);
    void Finished();

private:
    struct TWork;
    void Arrived(int generation, int page, const std::vector<TQRMatchBoxes>& hits, bool failed);
    void Done(int generation, bool truncated);

    QThreadPool FPool;
    std::shared_ptr<TWork> FWork;
    int FGeneration = 0;
    QString FNeedle;
    bool FRunning = false;
    int FPageCount = 0;
    int FSearched = 0;
    int FTotal = 0;
    int FFailed = 0;
    bool FTruncated = false;
    std::vector<std::vector<TQRMatchBoxes>> FHits;  // index page - 1
};

// The matches of needle in a page's text, at most limit of them. The page reads as one
// text: a line break matches a blank as a space or tab does ("Contagem de" is found where
// "Contagem" ends a line and "de" starts the next).
std::vector<TQRMatchBoxes> FindInPage(const render::PageText& page, const QString& needle, int limit);
// The union of a match's boxes.
QRectF MatchBounds(const TQRMatchBoxes& match);

}  // namespace qrp
