#include "preview/text_search.h"

#include "base/swallowed.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QPointer>

#include <algorithm>
#include <atomic>

namespace qrp {

std::vector<TQRMatchBoxes> FindInPage(const render::PageText& page, const QString& needle, int limit)
{
    // The lines joined by line feeds, each unit's line and index kept: a match may run on
    // from one line's end to the next one's start.
    QString text;
    std::vector<std::pair<size_t, size_t>> units;  // line, index in it (a line feed: past its end)
    for (size_t l = 0; l < page.lines.size(); ++l) {
        const render::TextLine& line = page.lines[l];
        if (l > 0) {
            text.append(u'\n');
            units.emplace_back(l - 1, page.lines[l - 1].boxes.size());
        }
        text += line.text;
        for (qsizetype i = 0; i < line.text.size(); ++i) units.emplace_back(l, static_cast<size_t>(i));
    }
    std::vector<TQRMatchBoxes> hits;
    for (const render::TextMatch& match : render::FindAll(text, needle)) {
        if (static_cast<int>(hits.size()) >= limit) break;
        // One box per line: the union of the matched characters' boxes on it (inserted
        // separators and line feeds have none).
        TQRMatchBoxes boxes;
        size_t boxLine = page.lines.size();
        for (int u = match.start; u < match.start + match.length; ++u) {
            const auto [l, i] = units[static_cast<size_t>(u)];
            const std::span<const QRectF> lineBoxes = page.lines[l].boxes;
            if (i >= lineBoxes.size() || lineBoxes[i].isEmpty()) continue;
            if (l != boxLine) {
                boxes.push_back(lineBoxes[i]);
                boxLine = l;
            } else {
                boxes.back() = boxes.back().united(lineBoxes[i]);
            }
        }
        if (!boxes.empty()) hits.push_back(std::move(boxes));
    }
    return hits;
}

QRectF MatchBounds(const TQRMatchBoxes& match)
{
    QRectF bounds;
    for (const QRectF& box : match) bounds = bounds.isNull() ? box : bounds.united(box);
    return bounds;
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
            std::vector<TQRMatchBoxes> hits;
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

void TQRTextSearch::Arrived(int generation, int page, const std::vector<TQRMatchBoxes>& hits, bool failed)
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

const std::vector<TQRMatchBoxes>& TQRTextSearch::HitsOn(int page) const
{
    static const std::vector<TQRMatchBoxes> none;
    return page >= 1 && page <= static_cast<int>(FHits.size()) ? FHits[static_cast<size_t>(page - 1)] : none;
}

int TQRTextSearch::CountBefore(int page) const
{
    int count = 0;
    for (int p = 1; p < page && p <= static_cast<int>(FHits.size()); ++p) count += CountOn(p);
    return count;
}

}  // namespace qrp
