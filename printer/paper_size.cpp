#include "printer/paper_size.h"

#include "base/arith.h"
#include "base/exceptions.h"

namespace qrp {

const std::array<std::array<int32_t, 2>, kPaperDimensionRows> PaperDimensions = {{
    {0, 0},            // Default
    {21590, 27940},    // Letter
    {21590, 27940},    // LetterSmall
    {27940, 43180},    // Tabloid
    {43180, 27940},    // Ledger
    {21590, 35560},    // Legal
    {13970, 21590},    // Statement
    {19050, 25400},    // Executive
    {29700, 42000},    // A3
    {21000, 29700},    // A4
    {21000, 29700},    // A4Small
    {14800, 21000},    // A5
    {25000, 35400},    // B4
    {18200, 25700},    // B5
    {21590, 33020},    // Folio
    {21500, 27500},    // Quarto
    {25400, 35560},    // qr10X14
    {27940, 43180},    // qr11X17
    {21590, 27940},    // Note
    {9843, 22540},     // Env9
    {10480, 24130},    // Env10
    {11430, 26350},    // Env11
    {12070, 27940},    // Env12
    {12700, 29210},    // Env14
    {43180, 55880},    // CSheet
    {55880, 86360},    // DSheet
    {86360, 111760},   // ESheet
    {11000, 22000},    // EnvDL
    {16200, 22900},    // EnvC5
    {32400, 45800},    // EnvC3
    {22900, 32400},    // EnvC4
    {11400, 16200},    // EnvC6
    {11400, 22900},    // EnvC65
    {25000, 35300},    // EnvB4
    {17600, 25000},    // EnvB5
    {17600, 12500},    // EnvB6
    {11000, 23000},    // EnvItaly
    {9843, 19050},     // EnvMonarch
    {9201, 16510},     // EnvPersonal
    {37780, 27940},    // FanfoldUSStd
    {21590, 30480},    // FanfoldGerStd
    {21590, 33020},    // FanfoldGerLegal
    {25000, 35300},    // B4ISO
    {10000, 14800},    // PostcardJap
    {22860, 27940},    // qr9X11
    {25400, 27940},    // qr10X11
    {38100, 27940},    // qr15X11
    {22000, 22000},    // EnvInvite
    {10000, 10000},    // Reserved1
    {10000, 10000},    // Reserved2
    {24130, 30480},    // LetterExtra
    {24130, 38100},    // LegalExtra
    {29690, 45720},    // TabloidExtra
    {23600, 32200},    // A4Extra
    {27940, 21590},    // LetterTrans
    {29700, 21000},    // A4Trans
    {30480, 24130},    // LetterExtraTrans
    {22700, 35600},    // SuperASuperAA4
    {30500, 48700},    // SuperBSuperBA3
    {21590, 32230},    // LetterPlus
    {21000, 33000},    // A4Plus
    {21000, 14800},    // A5Trans
    {25700, 18200},    // B5Trans
    {32200, 44500},    // A3Extra
    {17400, 23500},    // A5Extra
    {20100, 27600},    // B5Extra
    {42000, 59400},    // A2
    {42000, 29700},    // A3Trans
    {44500, 32200},    // A3ExtraTrans
}};

namespace {

constexpr std::array<int32_t, kPaperSizeCount> MakePaperCodes()
{
    std::array<int32_t, kPaperSizeCount> codes{};
    for (int i = 0; i < kPaperSizeCount - 1; ++i) codes[static_cast<std::size_t>(i)] = i;
    codes[kPaperSizeCount - 1] = 256;  // DMPAPER_USER
    return codes;
}

constexpr const char* kPaperSizeNames[kPaperSizeCount] = {
    "Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal", "Statement", "Executive",
    "A3", "A4", "A4Small", "A5", "B4", "B5", "Folio", "Quarto", "qr10X14", "qr11X17", "Note",
    "Env9", "Env10", "Env11", "Env12", "Env14", "CSheet", "DSheet", "ESheet",
    "EnvDL", "EnvC5", "EnvC3", "EnvC4", "EnvC6", "EnvC65", "EnvB4", "EnvB5", "EnvB6", "EnvItaly",
    "EnvMonarch", "EnvPersonal", "FanfoldUSStd", "FanfoldGerStd", "FanfoldGerLegal",
    "B4ISO", "PostcardJap", "qr9X11", "qr10X11", "qr15X11", "EnvInvite", "Reserved1", "Reserved2",
    "LetterExtra", "LegalExtra", "TabloidExtra", "A4Extra", "LetterTrans", "A4Trans",
    "LetterExtraTrans", "SuperASuperAA4", "SuperBSuperBA3", "LetterPlus", "A4Plus",
    "A5Trans", "B5Trans", "A3Extra", "A5Extra", "B5Extra", "A2", "A3Trans", "A3ExtraTrans",
    "Custom",
};

int32_t TenthsOf(TQRPaperSize size, std::size_t column)
{
    const int ordinal = Ord(size);
    QRP_ASSERT(ordinal >= Ord(TQRPaperSize::Letter) && ordinal < kPaperDimensionRows);
    return static_cast<int32_t>(RoundDiv(PaperDimensions[static_cast<std::size_t>(ordinal)][column], 10));
}

}  // namespace

const std::array<int32_t, kPaperSizeCount> PaperCodes = MakePaperCodes();

TQRPaperSize PaperSizeOfCode(int32_t code, TQRPaperSize from)
{
    for (int i = Ord(from); i < kPaperSizeCount; ++i) {
        if (PaperCodes[static_cast<std::size_t>(i)] == code) return PaperSizeAt(i);
    }
    return TQRPaperSize::Default;
}

int32_t PaperWidthTenths(TQRPaperSize size) { return TenthsOf(size, 0); }
int32_t PaperHeightTenths(TQRPaperSize size) { return TenthsOf(size, 1); }

const char* PaperSizeName(TQRPaperSize size)
{
    const int ordinal = Ord(size);
    return ordinal < kPaperSizeCount ? kPaperSizeNames[ordinal] : "?";
}

}  // namespace qrp
