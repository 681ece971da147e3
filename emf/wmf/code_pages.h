// The code pages of the LOGFONT character sets, decoded and encoded as the Windows
// conversion does it, from tables generated once (tools/codepages): the same answers on
// every platform, whatever converter the platform has.
#pragma once

#include <cstdint>
#include <string>

namespace qrp::emf::wmf {

class CodePage {
public:
    // nullptr for a code page without a table.
    static const CodePage* Find(int number);

    int Number() const { return number_; }
    bool IsLeadByte(uint8_t byte) const { return isLead_[byte]; }
    // A byte alone: a single-byte character, or a lead byte without its trail.
    char16_t DecodeByte(uint8_t byte) const { return single_[byte]; }
    // A lead byte and its trail: one unit, or two (the lead alone, then U+0000) when the
    // trail is 0.
    void DecodePair(uint8_t lead, uint8_t trail, std::u16string& out) const;
    // The bytes a unit becomes: below 0x100 one byte, otherwise lead << 8 | trail.
    uint16_t Encode(char16_t unit) const;

private:
    size_t RowWidth() const;

    friend struct CodePageBuilder;
    int number_ = 0;
    uint8_t trailFirst_ = 0;
    uint8_t trailLast_ = 0;
    bool isLead_[256] = {};
    uint16_t rowOf_[256] = {};      // row index of each lead byte
    char16_t single_[256] = {};
    std::u16string rows_;           // per lead byte, trails trailFirst_..trailLast_
    std::u16string inverse_;        // unit -> bytes + 1, 0 where no sequence decodes to it
    std::u16string exceptionUnits_; // sorted; encodings that differ from inverse_ or '?'
    std::u16string exceptionBytes_;
};

}  // namespace qrp::emf::wmf
