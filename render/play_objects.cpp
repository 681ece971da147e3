// The object table: pens, brushes, fonts and palettes created, selected and deleted.
#include "render/player.h"

#include "emf/emr_types.h"
#include "emf/records_objects.h"
#include "emf/records_state.h"

namespace qrp::render {

using namespace emf;
using namespace emf::gdi;

void Player::AddObjectHandlers(HandlerTable& t)
{
    t[kEmrCreatePen] = &Player::OnCreatePen;
    t[kEmrExtCreatePen] = &Player::OnExtCreatePen;
    t[kEmrCreateBrushIndirect] = &Player::OnCreateBrush;
    t[kEmrCreateMonoBrush] = &Player::OnCreateDibBrush;
    t[kEmrCreateDibPatternBrushPt] = &Player::OnCreateDibBrush;
    t[kEmrExtCreateFontIndirectW] = &Player::OnCreateFont;
    t[kEmrCreatePalette] = &Player::OnCreatePalette;
    t[kEmrSetPaletteEntries] = &Player::OnSetPaletteEntries;
    t[kEmrResizePalette] = &Player::OnResizePalette;
    t[kEmrSelectObject] = &Player::OnSelectObject;
    t[kEmrDeleteObject] = &Player::OnDeleteObject;
    t[kEmrSelectPalette] = &Player::OnSelectPalette;
}

namespace {

// The spare object set back to its defaults, or a new one.
template <typename T>
std::shared_ptr<T> Fresh(std::shared_ptr<T>& spare)
{
    if (!spare) return std::make_shared<T>();
    *spare = T{};
    return std::move(spare);
}

// Lets go of held; an object nothing else holds becomes the spare.
template <typename T, typename Held>
void Release(std::shared_ptr<Held>& held, std::shared_ptr<T>& spare)
{
    if (!held) return;
    if (held.use_count() == 1) spare = std::const_pointer_cast<T>(std::move(held));
    else held.reset();
}

}  // namespace

void Player::EmptySlot(GdiObject& slot)
{
    Release(slot.pen, FSparePen);
    Release(slot.brush, FSpareBrush);
    Release(slot.font, FSpareFont);
    if (slot.palette) slot.palette.reset();
}

bool Player::OnCreatePen(const Record& r)
{
    const auto p = EmrCreatePen::Read(r);
    if (!p) return false;
    GdiObject* slot = ObjectAt(p->ih);
    if (!slot) return false;
    std::shared_ptr<PenObject> pen = Fresh(FSparePen);
    pen->style = p->style & (PS_STYLE_MASK | PS_ENDCAP_MASK | PS_JOIN_MASK);
    pen->width = std::abs(static_cast<double>(p->width));
    pen->cosmetic = p->width == 0;
    pen->color = p->color;
    EmptySlot(*slot);
    slot->pen = std::move(pen);
    return true;
}

bool Player::OnExtCreatePen(const Record& r)
{
    const auto p = EmrExtCreatePen::Read(r);
    if (!p) return false;
    GdiObject* slot = ObjectAt(p->ih);
    if (!slot) return false;
    std::shared_ptr<PenObject> pen = Fresh(FSparePen);
    pen->extended = true;
    pen->style = p->style;
    pen->cosmetic = (p->style & PS_TYPE_MASK) != PS_GEOMETRIC;
    pen->width = pen->cosmetic ? 1 : p->width;
    pen->color = p->color;
    pen->nullBrush = p->brushStyle == BS_NULL;
    pen->dashes = p->styleEntries;
    if (pen->dashes.size() > 64) pen->dashes.resize(64);
    EmptySlot(*slot);
    slot->pen = std::move(pen);
    return true;
}

bool Player::OnCreateBrush(const Record& r)
{
    const auto b = EmrCreateBrush::Read(r);
    if (!b) return false;
    GdiObject* slot = ObjectAt(b->ih);
    if (!slot) return false;
    std::shared_ptr<BrushObject> brush = Fresh(FSpareBrush);
    brush->style = b->style;
    brush->color = b->color;
    brush->hatch = b->hatch;
    // A style without a bitmap here (pattern styles need their own record) fills solid.
    if (brush->style != BS_NULL && brush->style != BS_HATCHED) brush->style = BS_SOLID;
    EmptySlot(*slot);
    slot->brush = std::move(brush);
    return true;
}

bool Player::OnCreateDibBrush(const Record& r)
{
    const auto b = EmrCreateDibBrush::Read(r);
    if (!b) return false;
    GdiObject* slot = ObjectAt(b->ih);
    if (!slot) return false;
    std::shared_ptr<BrushObject> brush = Fresh(FSpareBrush);
    brush->style = BS_DIBPATTERNPT;
    brush->record = r;
    brush->dib = b->dib;
    brush->usage = b->usage;
    brush->monochrome = r.Type() == kEmrCreateMonoBrush;
    EmptySlot(*slot);
    slot->brush = std::move(brush);
    return true;
}

bool Player::OnCreateFont(const Record& r)
{
    // Read straight into the font object the slot will hold.
    std::shared_ptr<FontObject> font = FSpareFont ? std::move(FSpareFont) : std::make_shared<FontObject>();
    uint32_t ih = 0;
    GdiObject* slot = EmrCreateFont::ReadInto(r, &ih, &font->font) ? ObjectAt(ih) : nullptr;
    if (!slot) {
        FSpareFont = std::move(font);
        return false;
    }
    EmptySlot(*slot);
    slot->font = std::move(font);
    return true;
}

bool Player::OnCreatePalette(const Record& r)
{
    const auto p = EmrPalette::ReadCreate(r);
    if (!p) return false;
    GdiObject* slot = ObjectAt(p->ih);
    if (!slot) return false;
    auto palette = std::make_shared<PaletteObject>();
    palette->entries = p->entries;
    EmptySlot(*slot);
    slot->palette = std::move(palette);
    return true;
}

bool Player::OnSetPaletteEntries(const Record& r)
{
    const auto p = EmrPalette::ReadSetEntries(r);
    if (!p) return false;
    GdiObject* slot = ObjectAt(p->ih);
    if (!slot || !slot->palette) return true;
    auto& entries = slot->palette->entries;
    for (size_t i = 0; i < p->entries.size() && p->start + i < entries.size(); ++i) entries[p->start + i] = p->entries[i];
    return true;
}

bool Player::OnResizePalette(const Record& r)
{
    const auto ih = r.U32(8);
    const auto n = r.U32(12);
    if (!ih || !n) return false;
    GdiObject* slot = ObjectAt(*ih);
    if (slot && slot->palette && *n <= 1024) slot->palette->entries.resize(*n);
    return true;
}

bool Player::OnSelectObject(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return false;
    if (v->value & STOCK_OBJECT) {
        const uint32_t index = v->value & ~STOCK_OBJECT;
        const StockObject& stock = StockObjectAt(index);
        if (stock.pen) FState.pen = stock.pen;
        else if (stock.brush) FState.brush = stock.brush;
        else if (stock.font) FState.font = stock.font;
        else if (index == DEFAULT_PALETTE) FState.palette.reset();
        return true;
    }
    GdiObject* slot = ObjectAt(v->value);
    if (!slot) return true;  // nothing there: GDI fails the call and draws on
    if (slot->pen) FState.pen = slot->pen;
    else if (slot->brush) FState.brush = slot->brush;
    else if (slot->font) FState.font = slot->font;
    else if (slot->palette) FState.palette = slot->palette;
    return true;
}

bool Player::OnSelectPalette(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return false;
    if (v->value & STOCK_OBJECT) {
        FState.palette.reset();
        return true;
    }
    GdiObject* slot = ObjectAt(v->value);
    if (slot && slot->palette) FState.palette = slot->palette;
    return true;
}

bool Player::OnDeleteObject(const Record& r)
{
    const auto v = EmrValue::Read(r);
    if (!v) return false;
    // A selected object stays in use through the state that holds it.
    if (GdiObject* slot = ObjectAt(v->value)) EmptySlot(*slot);
    return true;
}

std::vector<uint32_t> Player::SelectedPalette() const
{
    // The picture is played with its own palette selected until its records select one.
    if (FState.palette) return FState.palette->entries;
    return FPicture.PaletteEntries();
}

}  // namespace qrp::render
