// How text is drawn on a raster output: as GDI draws it without font smoothing, for
// comparisons with GDI's own renderings, or smoothed for people reading a screen.
#pragma once

#include <optional>
#include <string_view>

namespace qrp::render {

enum class TextMode {
    kGdi,     // GDI's pixel-exact glyphs: hinted, on whole pixels, grey levels only where GDI has them
    kSmooth,  // grey levels, unhinted outlines, glyphs where the picture's advances put them
};

// What a mode asks of the text player. Every difference between the modes is decided here.
struct TextRendering {
    bool wholePixels;  // glyph origins, advances and the em cut to whole output pixels
    bool hinted;       // outlines grid-fitted to the pixel grid
    bool gdiGreyLevels;  // grey levels only where GDI has them; otherwise always
};

constexpr TextRendering RenderingOf(TextMode mode)
{
    if (mode == TextMode::kSmooth) return {false, false, false};
    return {true, true, true};
}

// "gdi" or "smooth", as command lines name the modes.
constexpr std::optional<TextMode> ParseTextMode(std::string_view name)
{
    if (name == "gdi") return TextMode::kGdi;
    if (name == "smooth") return TextMode::kSmooth;
    return std::nullopt;
}

constexpr std::string_view TextModeName(TextMode mode) { return mode == TextMode::kSmooth ? "smooth" : "gdi"; }

}  // namespace qrp::render
