// The paper size catalogue: the sizes the report printer knows, their portrait measures in
// millimetres and the device-mode paper code of each.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qrp {

enum class TQRPaperSize : uint8_t {
    Default,  // the printer's own paper; no measures
    Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive,
    A3, A4, A4Small, A5, B4, B5, Folio, Quarto, qr10X14, qr11X17, Note,
    Env9, Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet,
    EnvDL, EnvC5, EnvC3, EnvC4, EnvC6, EnvC65, EnvB4, EnvB5, EnvB6, EnvItaly,
    EnvMonarch, EnvPersonal, FanfoldUSStd, FanfoldGerStd, FanfoldGerLegal,
    B4ISO, PostcardJap, qr9X11, qr10X11, qr15X11, EnvInvite, Reserved1, Reserved2,
    LetterExtra, LegalExtra, TabloidExtra, A4Extra, LetterTrans, A4Trans,
    LetterExtraTrans, SuperASuperAA4, SuperBSuperBA3, LetterPlus, A4Plus,
    A5Trans, B5Trans, A3Extra, A5Extra, B5Extra, A2, A3Trans, A3ExtraTrans,
    Custom,  // a size given by its own width and length; no measures
};

constexpr int kPaperSizeCount = 70;
constexpr int kPaperDimensionRows = 69;  // Default .. A3ExtraTrans; none for Custom

constexpr int Ord(TQRPaperSize size) { return static_cast<int>(size); }
constexpr TQRPaperSize PaperSizeAt(int ordinal) { return static_cast<TQRPaperSize>(ordinal); }

// Width then height in hundredths of a millimetre, portrait: the catalogue's decimals held
// exactly, so everything computed from them is the same on every platform. Indexed by
// ordinal 0 (Default: 0 x 0) .. 68. Never read it for Default or Custom.
extern const std::array<std::array<int32_t, 2>, kPaperDimensionRows> PaperDimensions;

// The dmPaperSize code of each size: the ordinal for 0..68, 256 (DMPAPER_USER) for Custom.
extern const std::array<int32_t, kPaperSizeCount> PaperCodes;

// The smallest size from `from` up to Custom whose code equals `code`; Default when none.
TQRPaperSize PaperSizeOfCode(int32_t code, TQRPaperSize from = TQRPaperSize::Default);

// Catalogue measures in tenths of a millimetre: Round(millimetres x 10), halves to even.
// Only for Letter .. A3ExtraTrans.
int32_t PaperWidthTenths(TQRPaperSize size);
int32_t PaperHeightTenths(TQRPaperSize size);

// The size's name as the enumeration spells it ("A4", "qr10X14", "Custom").
const char* PaperSizeName(TQRPaperSize size);

}  // namespace qrp
