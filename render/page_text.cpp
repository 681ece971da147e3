#include "render/page_text.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace qrp::render {

namespace {

bool IsBlank(QChar c) { return c.isSpace() || c.unicode() == 0; }

// Drops the leading and trailing blanks of a run (a narrower stretch of text); false when
// nothing is left.
bool Trim(PageTextRun& run, char16_t* units)
{
    qsizetype first = run.first, last = run.first + run.length;
    const auto trim = [&](auto blank) {
        while (first < last && blank(units[first])) ++first;
        while (last > first && blank(units[last - 1])) --last;
    };
    // Of the printable units only the space is blank.
    if (run.printable) trim([](char16_t c) { return c == u' '; });
    else trim([](char16_t c) { return IsBlank(c); });
    if (first == last) return false;
    if (last - first != run.length) run.bounds.reset();  // the blanks' boxes no longer count
    run.first = first;
    run.length = last - first;
    // Blanks inside (and control characters, C0 and C1) read as spaces.
    if (run.printable) return true;
    for (qsizetype i = first; i < last; ++i) {
        const QChar c(units[i]);
        if (PrintableLatin1(c)) continue;  // the most of it
        if (IsBlank(c) || c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F)) units[i] = u' ';
    }
    return true;
}

// Sorts by key, equal keys in the order they come. Runs mostly come in reading order
// already, a few out of place: a range whose keys ascend (none a NaN) is left as it is, and
// one with few out of place has each moved back to where it goes (an insertion sort: the
// stable order is unique when no key is a NaN). Past a few moves a piece, or with a NaN
// key, the standard stable sort takes over.
template <class Iterator, class Key>
void SortBy(Iterator first, Iterator last, Key key)
{
    const auto descends = [&](const auto& a, const auto& b) { return !(key(a) <= key(b)); };
    const auto less = [&](const auto& a, const auto& b) { return key(a) < key(b); };
    const Iterator unsorted = std::adjacent_find(first, last, descends);
    if (unsorted == last) return;
    // Up to unsorted the keys ascend, so are numbers.
    if (std::any_of(unsorted, last, [&](const auto& x) { return std::isnan(key(x)); }))
        return std::stable_sort(first, last, less);
    const std::ptrdiff_t moveLimit = 4 * (last - first) + 16;
    std::ptrdiff_t moves = 0;
    for (Iterator i = unsorted + 1; i != last; ++i) {
        if (moves > moveLimit) return std::stable_sort(first, last, less);
        auto value = std::move(*i);
        Iterator j = i;
        for (; j != first && less(value, *(j - 1)); --j, ++moves) *j = std::move(*(j - 1));
        *j = std::move(value);
    }
}

// Where a line lies in its page's buffers, and its bounds.
struct LinePlace {
    qsizetype first = 0;
    qsizetype length = 0;
    QRectF bounds;
};

// A line: a stretch of the runs in reading order, then where it was written.
struct Line {
    double baseline = 0;
    double height = 0;
    std::span<const PageTextRun*> runs;
    LinePlace place;
};

// Writes the line of runs (trimmed, their bounds known) at text + written and the end of
// boxes, which have room for it, and a line feed after it.
LinePlace Compose(const PageTextRuns& page, std::span<const PageTextRun*> runs, QChar* text, qsizetype& written,
                  std::vector<QRectF>& boxes)
{
    SortBy(runs.begin(), runs.end(), [&](const PageTextRun* run) { return page.Boxes(*run).front().left(); });
    LinePlace out;
    out.first = written;
    // A character the runs do not draw: it has no box.
    auto separate = [&](QChar c) {
        text[written++] = c;
        boxes.emplace_back();
    };
    const PageTextRun* previous = nullptr;
    for (const PageTextRun* run : runs) {
        if (previous) {
            const double em = std::max(previous->height, run->height);
            // The same text drawn again over itself (a shadow, a bold imitation) once.
            if (page.Text(*run) == page.Text(*previous) && std::abs(run->origin.x() - previous->origin.x()) < 0.25 * em)
                continue;
            const double gap = page.Boxes(*run).front().left() - page.Boxes(*previous).back().right();
            const char16_t separator = gap > kTabGap * em ? u'\t' : gap > kSpaceGap * em ? u' ' : 0;
            if (separator) separate(separator);
        }
        std::copy_n(page.Text(*run).data(), run->length, text + written);
        written += run->length;
        const std::span<const QRectF> runBoxes = page.Boxes(*run);
        boxes.insert(boxes.end(), runBoxes.begin(), runBoxes.end());
        out.bounds = out.bounds.isNull() ? *run->bounds : out.bounds.united(*run->bounds);
        previous = run;
    }
    out.length = written - out.first;
    separate(u'\n');
    return out;
}

}  // namespace

PageText ReadingOrder(PageTextRuns runs)
{
    std::vector<const PageTextRun*> placed;
    placed.reserve(runs.runs.size());
    char16_t* units = runs.text.data();  // trimming writes spaces in place
    for (PageTextRun& run : runs.runs) {
        if (!runs.Holds(run) || !Trim(run, units)) continue;
        run.bounds = runs.Bounds(run);
        placed.push_back(&run);
    }
    // Rotated runs first, in drawing order, then the level ones by baseline.
    const auto rotated = [](const PageTextRun* run) { return run->Rotated(); };
    const auto level = std::any_of(placed.begin(), placed.end(), rotated)
                           ? std::stable_partition(placed.begin(), placed.end(), rotated)
                           : placed.begin();
    SortBy(level, placed.end(), [](const PageTextRun* run) { return run->origin.y(); });

    std::vector<Line> lines;
    lines.reserve(placed.size());
    for (auto p = placed.begin(); p != level; ++p) lines.push_back({(*p)->bounds->bottom(), (*p)->height, {p, 1}, {}});
    const size_t firstLevel = lines.size();
    for (auto p = level; p != placed.end(); ++p) {
        const PageTextRun* run = *p;
        if (lines.size() > firstLevel) {
            Line& last = lines.back();
            const double tolerance = 0.3 * std::min(last.height, run->height);
            if (std::abs(run->origin.y() - last.baseline) <= tolerance) {
                last.runs = {last.runs.begin(), last.runs.size() + 1};
                last.height = std::max(last.height, run->height);
                continue;
            }
        }
        lines.push_back({run->origin.y(), run->height, {p, 1}, {}});
    }
    SortBy(lines.begin(), lines.end(), [](const Line& line) { return line.baseline; });

    // At most every run's units with a separator before each, and a line feed after each line.
    qsizetype room = static_cast<qsizetype>(lines.size());
    for (const PageTextRun* run : placed) room += run->length + 1;
    PageText page;
    page.FText = QString(room, Qt::Uninitialized);  // written in place, then cut to what was written
    page.FBoxes.reserve(static_cast<size_t>(room));
    qsizetype written = 0;
    for (Line& line : lines) line.place = Compose(runs, line.runs, page.FText.data(), written, page.FBoxes);
    page.FText.truncate(written);
    // The buffers are final: the lines look into them.
    const QStringView text(page.FText);
    const std::span<const QRectF> boxes(page.FBoxes);
    page.lines.reserve(lines.size());
    for (const Line& line : lines) {
        const LinePlace& place = line.place;
        const auto first = static_cast<size_t>(place.first), length = static_cast<size_t>(place.length);
        page.lines.push_back({text.sliced(place.first, place.length), boxes.subspan(first, length), place.bounds});
    }
    return page;
}

PageText PictureText(const emf::EnhMetaFile& picture) { return ReadingOrder(PictureTextRuns(picture)); }

FoldedText Fold(const QString& source, bool ignoreCase)
{
    FoldedText out;
    out.text.reserve(source.size());
    out.origin.reserve(static_cast<size_t>(source.size()));
    for (qsizetype i = 0; i < source.size(); ++i) {
        const qsizetype start = i;
        char32_t code = source.at(i).unicode();
        if (source.at(i).isHighSurrogate() && i + 1 < source.size() && source.at(i + 1).isLowSurrogate())
        {
            code = QChar::surrogateToUcs4(source.at(i), source.at(i + 1));
            ++i;
        }
        QString piece = QString::fromUcs4(&code, 1);
        if (code >= 0x80) piece = piece.normalized(QString::NormalizationForm_KD);
        if (ignoreCase) piece = piece.toCaseFolded();
        for (QChar c : piece) {
            if (c.category() == QChar::Mark_NonSpacing) continue;
            out.text.append(c);
            out.origin.push_back(static_cast<int>(start));
        }
    }
    return out;
}

QString StripAccents(const QString& source) { return Fold(source, false).text; }

namespace {

// Folded text with every run of blanks (spaces, tabs, line feeds) one space, each kept unit
// still pointing at the source unit it came from.
FoldedText FoldForMatching(const QString& source)
{
    FoldedText folded = Fold(source);
    FoldedText out;
    out.text.reserve(folded.text.size());
    out.origin.reserve(folded.origin.size());
    for (qsizetype k = 0; k < folded.text.size(); ++k) {
        QChar c = folded.text.at(k);
        if (c.isSpace()) {
            if (!out.text.isEmpty() && out.text.back() == u' ') continue;
            c = u' ';
        }
        out.text.append(c);
        out.origin.push_back(folded.origin[static_cast<size_t>(k)]);
    }
    return out;
}

}  // namespace

std::vector<TextMatch> FindAll(const QString& source, const QString& needle)
{
    std::vector<TextMatch> matches;
    const FoldedText hay = FoldForMatching(source);
    const QString want = FoldForMatching(needle).text;
    if (want.isEmpty()) return matches;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = hay.text.indexOf(want, from);
        if (at < 0) break;
        const qsizetype end = at + want.size();  // folded units [at, end)
        const int start = hay.origin[static_cast<size_t>(at)];
        int stop = static_cast<int>(source.size());
        // The match ends before the source unit that produced the first folded unit after it.
        for (qsizetype k = end; k < hay.text.size(); ++k) {
            if (hay.origin[static_cast<size_t>(k)] != hay.origin[static_cast<size_t>(end - 1)]) {
                stop = hay.origin[static_cast<size_t>(k)];
                break;
            }
        }
        matches.push_back({start, stop - start});
        from = end;
    }
    return matches;
}

}  // namespace qrp::render
