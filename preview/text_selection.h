// TTextSelection: the characters of a page's text chosen by a dragged rectangle, a word or
// the whole page, and the text they make. Coordinates are the page text's (millimetres on
// the page's frame).
#pragma once

#include "render/page_text.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

namespace qrp {

class TTextSelection {
public:
    // The page text is the caller's and must outlive the selection's use of it.
    void Clear();
    bool Empty() const;
    // The characters whose box centre lies inside area (its corners in any order).
    void SelectArea(const render::PageText& page, QRectF area);
    // The word under point: the blank-free stretch of its line around the character hit.
    // False (and nothing selected) where no character is.
    bool SelectWord(const render::PageText& page, QPointF point);
    void SelectAll(const render::PageText& page);

    // The selected text in reading order: within a line the selected characters and the
    // separators (space, tab) between them; lines joined by line feeds, and a line feed after
    // each line when more than one is selected (as `qrptool text` prints them).
    QString Text(const render::PageText& page) const;
    // Boxes to highlight: per line, one box for each stretch of selected characters.
    std::vector<QRectF> Boxes(const render::PageText& page) const;

private:
    // Per line, a flag per UTF-16 unit; empty for a line with nothing selected.
    std::vector<std::vector<bool>> FChosen;
};

}  // namespace qrp
