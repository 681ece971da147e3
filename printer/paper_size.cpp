#include "printer/paper_size.h"

#include "base/arith.h"
#include "base/exceptions.h"

namespace qrp {

const std::array<std::array<long double, 2>, kPaperDimensionRows> PaperDimensions = {{
    {0.0L, 0.0L},          // Default
    {215.9L, 279.4L},      // Letter
    {215.9L, 279.4L},      // LetterSmall
    {279.4L, 431.8L},      // Tabloid
    {431.8L, 279.4L},      // Ledger
    {215.9L, 355.6L},      // Legal
    {139.7L, 215.9L},      // Statement
    {190.5L, 254.0L},      // Executive
    {297.0L, 420.0L},      // A3
    {210.0L, 297.0L},      // A4
    {210.0L, 297.0L},      // A4Small
    {148.0L, 210.0L},      // A5
    {250.0L, 354.0L},      // B4
    {182.0L, 257.0L},      // B5
    {215.9L, 330.2L},      // Folio
    {215.0L, 275.0L},      // Quarto
    {254.0L, 355.6L},      // qr10X14
    {279.4L, 431.8L},      // qr11X17
    {215.9L, 279.4L},      // Note
    {98.43L, 225.4L},      // Env9
    {104.8L, 241.3L},      // Env10
    {114.3L, 263.5L},      // Env11
    {120.7L, 279.4L},      // Env12
    {127.0L, 292.1L},      // Env14
    {431.8L, 558.8L},      // CSheet
    {558.8L, 863.6L},      // DSheet
    {863.6L, 1117.6L},     // ESheet
    {110.0L, 220.0L},      // EnvDL
    {162.0L, 229.0L},      // EnvC5
    {324.0L, 458.0L},      // EnvC3
    {229.0L, 324.0L},      // EnvC4
    {114.0L, 162.0L},      // EnvC6
    {114.0L, 229.0L},      // EnvC65
    {250.0L, 353.0L},      // EnvB4
    {176.0L, 250.0L},      // EnvB5
    {176.0L, 125.0L},      // EnvB6
    {110.0L, 230.0L},      // EnvItaly
    {98.43L, 190.5L},      // EnvMonarch
    {92.01L, 165.1L},      // EnvPersonal
    {377.8L, 279.4L},      // FanfoldUSStd
    {215.9L, 304.8L},      // FanfoldGerStd
    {215.9L, 330.2L},      // FanfoldGerLegal
    {250.0L, 353.0L},      // B4ISO
    {100.0L, 148.0L},      // PostcardJap
    {228.6L, 279.4L},      // qr9X11
    {254.0L, 279.4L},      // qr10X11
    {381.0L, 279.4L},      // qr15X11
    {220.0L, 220.0L},      // EnvInvite
    {100.0L, 100.0L},      // Reserved1
    {100.0L, 100.0L},      // Reserved2
    {241.3L, 304.8L},      // LetterExtra
    {241.3L, 381.0L},      // LegalExtra
    {296.9L, 457.2L},      // TabloidExtra
    {236.0L, 322.0L},      // A4Extra
    {279.4L, 215.9L},      // LetterTrans
    {297.0L, 210.0L},      // A4Trans
    {304.8L, 241.3L},      // LetterExtraTrans
    {227.0L, 356.0L},      // SuperASuperAA4
    {305.0L, 487.0L},      // SuperBSuperBA3
    {215.9L, 322.3L},      // LetterPlus
    {210.0L, 330.0L},      // A4Plus
    {210.0L, 148.0L},      // A5Trans
    {257.0L, 182.0L},      // B5Trans
    {322.0L, 445.0L},      // A3Extra
    {174.0L, 235.0L},      // A5Extra
    {201.0L, 276.0L},      // B5Extra
    {420.0L, 594.0L},      // A2
    {420.0L, 297.0L},      // A3Trans
    {445.0L, 322.0L},      // A3ExtraTrans
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
    return static_cast<int32_t>(Round(PaperDimensions[static_cast<std::size_t>(ordinal)][column] * 10));
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
