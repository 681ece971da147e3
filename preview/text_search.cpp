#include "preview/text_search.h"

#include "base/swallowed.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QPointer>

#include <algorithm>
#include <atomic>

namespace qrp {

std::vector<QRectF> FindInPage(const render::PageText& page, const QString& needle, int limit)
{
    std::vector<QRectF> hits;
    for (const render::TextLine& line : page.lines) {
        for (const render::TextMatch& match : render::FindAll(line.text, needle)) {
            if (static_cast<int>(hits.size()) >= limit) return hits;
            QRectF box;
            const size_t end = std::min(line.boxes.size(), static_cast<size_t>(match.start) + static_cast<size_t>(match.length));
            for (size_t i = static_cast<size_t>(match.start); i < end; ++i) {
                const QRectF& b = line.boxes[i];
                if (b.isEmpty()) continue;
                box = box.isNull() ? b : box.united(b);
            }
            if (!box.isNull()) hits.push_back(box);
        }
    }
    return hits;
}

// What the worker shares with the search: its input and a stop flag.
struct TQRTextSearch::TWork {
    std::string FileName;
    QString Needle;
    int PageCount = 0;
    int Generation = 0;
    std::atomic<bool> Stop{false};
};

TQRTextSearch::TQRTextSearch(QObject* parent) : QObject(parent)
{
    FPool.setMaxThreadCount(1);
}

TQRTextSearch::~TQRTextSearch()
{
    if (FWork) FWork->Stop = true;
    FPool.waitForDone();
}

void TQRTextSearch::Cancel()
{
    if (FWork) FWork->Stop = true;
    FWork.reset();
    ++FGeneration;
    FRunning = false;
}

void TQRTextSearch::Start(const QString& fileName, int pageCount, const QString& needle)
{
    Cancel();
    FNeedle = needle.left(kMaxNeedle);
    FPageCount = std::clamp(pageCount, 0, kMaxPages);
    FSearched = 0;
    FTotal = 0;
    FFailed = 0;
    FTruncated = false;
    FHits.assign(static_cast<size_t>(FPageCount), {});
    if (fileName.isEmpty() || FPageCount == 0 || render::Fold(FNeedle).text.isEmpty()) {
        FPageCount = 0;
        FHits.clear();
        emit Finished();
        return;
    }
    FRunning = true;
    auto work = std::make_shared<TWork>();
    work->FileName = fileName.toStdString();
    work->Needle = FNeedle;
    work->PageCount = FPageCount;
    work->Generation = FGeneration;
    FWork = work;
    QPointer<TQRTextSearch> self(this);
    FPool.start([work, self] {
        const auto post = [&](auto call) { QMetaObject::invokeMethod(self.data(), call, Qt::QueuedConnection); };
        const int generation = work->Generation;
        std::unique_ptr<TQRPageList> list;
        try {
            list = std::make_unique<TQRPageList>();
            list->LoadFromFile(work->FileName);
        } catch (...) {
            LogSwallowed("opening the report to search");
            list.reset();
        }
        int total = 0;
        bool truncated = false;
        for (int page = 1; page <= work->PageCount && !work->Stop; ++page) {
            std::vector<QRectF> hits;
            bool failed = !list;
            if (list) {
                try {
                    const std::unique_ptr<TMetafile> picture = list->GetPage(page);
                    if (picture && picture->Handle()) {
                        const int room = std::min(kMaxHitsPerPage, kMaxHits - total);
                        hits = FindInPage(render::PictureText(*picture->Handle()), work->Needle, room);
                    }
                } catch (...) {
                    LogSwallowed("searching a page");
                    failed = true;  // an unreadable page has no matches; the search goes on
                }
            }
            total += static_cast<int>(hits.size());
            if (work->Stop) return;
            post([self, generation, page, hits, failed] {
                if (self) self->Arrived(generation, page, hits, failed);
            });
            if (total >= kMaxHits) {
                truncated = page < work->PageCount;
                break;
            }
        }
        if (work->Stop) return;
        post([self, generation, truncated] {
            if (self) self->Done(generation, truncated);
        });
    });
}

void TQRTextSearch::Arrived(int generation, int page, const std::vector<QRectF>& hits, bool failed)
{
    if (generation != FGeneration || page < 1 || page > FPageCount) return;
    FTotal += static_cast<int>(hits.size());
    FHits[static_cast<size_t>(page - 1)] = hits;
    FSearched = std::max(FSearched, page);
    if (failed) ++FFailed;
    emit PageSearched(page);
}

void TQRTextSearch::Done(int generation, bool truncated)
{
    if (generation != FGeneration) return;
    FRunning = false;
    FTruncated = truncated;
    FWork.reset();
    emit Finished();
}

int TQRTextSearch::CountOn(int page) const
{
    return page >= 1 && page <= static_cast<int>(FHits.size()) ? static_cast<int>(FHits[static_cast<size_t>(page - 1)].size()) : 0;
}

const std::vector<QRectF>& TQRTextSearch::HitsOn(int page) const
{
    static const std::vector<QRectF> none;
    return page >= 1 && page <= static_cast<int>(FHits.size()) ? FHits[static_cast<size_t>(page - 1)] : none;
}

int TQRTextSearch::CountBefore(int page) const
{
    int count = 0;
    for (int p = 1; p < page && p <= static_cast<int>(FHits.size()); ++p) count += CountOn(p);
    return count;
}

}  // namespace qrp
