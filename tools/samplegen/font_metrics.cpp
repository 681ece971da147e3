#include "tools/samplegen/font_metrics.h"

#include <string_view>

namespace samplegen {

namespace {

// Characters 32..126.
constexpr int16_t kSans[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // ' '../
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // 0..?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,  // @..O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,   // P.._
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,   // `..o
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,        // p..~
};
constexpr int16_t kSerif[95] = {
    250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500, 564, 250, 333, 250, 278,
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 278, 278, 564, 564, 564, 444,
    921, 722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889, 722, 722,
    556, 722, 667, 556, 611, 722, 722, 944, 722, 722, 611, 333, 278, 333, 469, 500,
    333, 444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500, 278, 778, 500, 500,
    500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444, 480, 200, 480, 541,
};

char16_t BaseLetter(char16_t c)
{
    static constexpr std::u16string_view accented = u"ÀÁÂÃÄÅàáâãäåÇçÈÉÊËèéêëÌÍÎÏìíîïÑñÒÓÔÕÖòóôõöÙÚÛÜùúûü";
    static constexpr std::u16string_view base = u"AAAAAAaaaaaaCcEEEEeeeeIIIIiiiiNnOOOOOoooooUUUUuuuu";
    const auto at = accented.find(c);
    return at == std::u16string_view::npos ? c : base[at];
}

}  // namespace

int32_t AdvanceWidth(Face face, char16_t c)
{
    if (face == Face::CourierNew) return 600;
    c = BaseLetter(c);
    if (c >= 32 && c <= 126) return (face == Face::Arial ? kSans : kSerif)[c - 32];
    switch (c) {
    case u'°': return 400;
    case u'µ': return face == Face::Arial ? 556 : 500;
    case u'²':
    case u'³': return 333;
    case u'—': return 1000;
    case u'–': return 556;
    default: return 556;
    }
}

std::vector<int32_t> RunAdvances(Face face, std::u16string_view text, int32_t emSize)
{
    std::vector<int32_t> dx;
    dx.reserve(text.size());
    int64_t units = 0;
    int32_t placed = 0;
    for (const char16_t c : text) {
        units += AdvanceWidth(face, c);
        const auto next = static_cast<int32_t>((units * emSize + 500) / 1000);
        dx.push_back(next - placed);
        placed = next;
    }
    return dx;
}

int32_t RunWidth(Face face, std::u16string_view text, int32_t emSize)
{
    int32_t width = 0;
    for (const int32_t d : RunAdvances(face, text, emSize)) width += d;
    return width;
}

}  // namespace samplegen
