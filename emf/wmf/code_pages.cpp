#include "emf/wmf/code_pages.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace qrp::emf::wmf {

namespace {

struct CodePageSource {
    int number;
    uint8_t trailFirst;
    uint8_t trailLast;
    const char* const* single;
    const char* const* leads;
    const char* const* rows;
    const char* const* encode;
};

#include "emf/wmf/codepage_tables.inc"

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;  // '=' padding
}

std::string DecodeBase64(const char* const* chunks)
{
    std::string bytes;
    uint32_t bits = 0;
    int count = 0;
    for (; *chunks; ++chunks) {
        for (const char c : std::string_view(*chunks)) {
            const int v = Base64Value(c);
            if (v < 0) continue;
            bits = (bits << 6) | static_cast<uint32_t>(v);
            count += 6;
            if (count >= 8) {
                count -= 8;
                bytes.push_back(static_cast<char>((bits >> count) & 0xFF));
            }
        }
    }
    return bytes;
}

std::u16string DecodeUnits(const char* const* chunks)
{
    const std::string bytes = DecodeBase64(chunks);
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return units;
}

}  // namespace

struct CodePageBuilder {
    static std::unique_ptr<CodePage> Build(const CodePageSource& source)
    {
        auto page = std::make_unique<CodePage>();
        page->number_ = source.number;
        page->trailFirst_ = source.trailFirst;
        page->trailLast_ = source.trailLast;
        const std::u16string single = DecodeUnits(source.single);
        std::copy_n(single.begin(), std::min<size_t>(single.size(), 256), page->single_);
        const std::string leads = DecodeBase64(source.leads);
        for (size_t i = 0; i < leads.size(); ++i) {
            const auto lead = static_cast<uint8_t>(leads[i]);
            page->isLead_[lead] = true;
            page->rowOf_[lead] = static_cast<uint16_t>(i);
        }
        page->rows_ = DecodeUnits(source.rows);
        const std::u16string encode = DecodeUnits(source.encode);
        for (size_t i = 0; i + 1 < encode.size(); i += 2) {
            page->exceptionUnits_.push_back(encode[i]);
            page->exceptionBytes_.push_back(encode[i + 1]);
        }
        // The first byte sequence that decodes to a unit is the one encoding gives back.
        page->inverse_.assign(0x10000, u'\0');
        auto first = [&](char16_t unit, uint16_t bytes) {
            if (page->inverse_[unit] == 0) page->inverse_[unit] = static_cast<char16_t>(bytes + 1);
        };
        for (int b = 0; b < 256; ++b)
            if (!page->isLead_[b]) first(page->single_[b], static_cast<uint16_t>(b));
        const size_t width = page->RowWidth();
        for (size_t i = 0; i < leads.size(); ++i) {
            const auto lead = static_cast<uint8_t>(leads[i]);
            for (size_t t = 0; t < width && i * width + t < page->rows_.size(); ++t)
                first(page->rows_[i * width + t], static_cast<uint16_t>(lead << 8 | (page->trailFirst_ + t)));
        }
        return page;
    }
};

size_t CodePage::RowWidth() const
{
    return trailLast_ >= trailFirst_ && trailLast_ != 0 ? size_t(trailLast_ - trailFirst_) + 1 : 0;
}

const CodePage* CodePage::Find(int number)
{
    static const auto pages = [] {
        std::array<std::unique_ptr<CodePage>, std::size(kCodePageSources)> built;
        for (size_t i = 0; i < built.size(); ++i) built[i] = CodePageBuilder::Build(kCodePageSources[i]);
        return built;
    }();
    for (const auto& page : pages)
        if (page->number_ == number) return page.get();
    return nullptr;
}

void CodePage::DecodePair(uint8_t lead, uint8_t trail, std::u16string& out) const
{
    const size_t width = RowWidth();
    if (isLead_[lead] && trail >= trailFirst_ && trail <= trailLast_ && width > 0) {
        const size_t index = size_t(rowOf_[lead]) * width + (trail - trailFirst_);
        if (index < rows_.size()) {
            out.push_back(rows_[index]);
            return;
        }
    }
    out.push_back(single_[lead]);
    if (trail == 0) out.push_back(u'\0');
}

uint16_t CodePage::Encode(char16_t unit) const
{
    const auto it = std::lower_bound(exceptionUnits_.begin(), exceptionUnits_.end(), unit);
    if (it != exceptionUnits_.end() && *it == unit) return exceptionBytes_[size_t(it - exceptionUnits_.begin())];
    const char16_t inverse = inverse_[unit];
    return inverse ? static_cast<uint16_t>(inverse - 1) : uint16_t{'?'};
}

}  // namespace qrp::emf::wmf
