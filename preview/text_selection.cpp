#include "preview/text_selection.h"

#include <algorithm>

namespace qrp {

namespace {

bool IsBlank(QChar c) { return c.isSpace(); }

// The first and one-past-last selected unit of a line's flags, or {0, 0}.
std::pair<size_t, size_t> Span(const std::vector<bool>& chosen)
{
    const auto first = std::find(chosen.begin(), chosen.end(), true);
    if (first == chosen.end()) return {0, 0};
    const auto last = std::find(chosen.rbegin(), chosen.rend(), true);
    return {static_cast<size_t>(first - chosen.begin()), static_cast<size_t>(chosen.rend() - last)};
}

}  // namespace

void TTextSelection::Clear() { FChosen.clear(); }

bool TTextSelection::Empty() const
{
    return std::none_of(FChosen.begin(), FChosen.end(), [](const std::vector<bool>& line) {
        return std::find(line.begin(), line.end(), true) != line.end();
    });
}

void TTextSelection::SelectArea(const render::PageText& page, QRectF area)
{
    area = area.normalized();
    FChosen.assign(page.lines.size(), {});
    for (size_t l = 0; l < page.lines.size(); ++l) {
        const render::TextLine& line = page.lines[l];
        if (!line.bounds.intersects(area) && !area.contains(line.bounds.center())) continue;
        std::vector<bool> chosen(line.boxes.size(), false);
        for (size_t i = 0; i < line.boxes.size(); ++i) {
            const QRectF& box = line.boxes[i];
            chosen[i] = !box.isEmpty() && area.contains(box.center());
        }
        FChosen[l] = std::move(chosen);
    }
}

bool TTextSelection::SelectWord(const render::PageText& page, QPointF point)
{
    FChosen.assign(page.lines.size(), {});
    for (size_t l = 0; l < page.lines.size(); ++l) {
        const render::TextLine& line = page.lines[l];
        if (!line.bounds.contains(point)) continue;
        for (size_t i = 0; i < line.boxes.size() && i < static_cast<size_t>(line.text.size()); ++i) {
            if (line.boxes[i].isEmpty() || !line.boxes[i].contains(point)) continue;
            const auto word = [&](size_t k) {
                return k < line.boxes.size() && !line.boxes[k].isEmpty() && !IsBlank(line.text.at(static_cast<qsizetype>(k)));
            };
            if (!word(i)) return false;
            size_t first = i, last = i + 1;
            while (first > 0 && word(first - 1)) --first;
            while (word(last)) ++last;
            std::vector<bool> chosen(line.boxes.size(), false);
            std::fill(chosen.begin() + static_cast<std::ptrdiff_t>(first), chosen.begin() + static_cast<std::ptrdiff_t>(last), true);
            FChosen[l] = std::move(chosen);
            return true;
        }
    }
    FChosen.clear();
    return false;
}

void TTextSelection::SelectAll(const render::PageText& page)
{
    FChosen.clear();
    for (const render::TextLine& line : page.lines) FChosen.emplace_back(line.boxes.size(), true);
}

QString TTextSelection::Text(const render::PageText& page) const
{
    QStringList lines;
    for (size_t l = 0; l < FChosen.size() && l < page.lines.size(); ++l) {
        const render::TextLine& line = page.lines[l];
        const std::vector<bool>& chosen = FChosen[l];
        const auto [first, end] = Span(chosen);
        if (first == end) continue;
        QString text;
        for (size_t i = first; i < end && i < static_cast<size_t>(line.text.size()); ++i) {
            // Separators have no box: between chosen characters they are kept.
            if (chosen[i] || line.boxes[i].isEmpty()) text.append(line.text.at(static_cast<qsizetype>(i)));
        }
        lines.append(text);
    }
    if (lines.size() <= 1) return lines.isEmpty() ? QString() : lines.front();
    return lines.join(u'\n') + u'\n';
}

std::vector<QRectF> TTextSelection::Boxes(const render::PageText& page) const
{
    std::vector<QRectF> boxes;
    for (size_t l = 0; l < FChosen.size() && l < page.lines.size(); ++l) {
        const render::TextLine& line = page.lines[l];
        const std::vector<bool>& chosen = FChosen[l];
        QRectF stretch;
        for (size_t i = 0; i <= chosen.size(); ++i) {
            const bool in = i < chosen.size() && (chosen[i] || (line.boxes[i].isEmpty() && !stretch.isNull()));
            if (in && !line.boxes[i].isEmpty()) {
                stretch = stretch.isNull() ? line.boxes[i] : stretch.united(line.boxes[i]);
            } else if (!in && !stretch.isNull()) {
                boxes.push_back(stretch);
                stretch = QRectF();
            }
        }
    }
    return boxes;
}

}  // namespace qrp
