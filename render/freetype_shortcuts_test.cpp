// The FreeType shortcuts answer exactly as FreeType does, and Qt's calls reach them.
#include "render/freetype_shortcuts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <QFont>
#include <QRawFont>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qrp::render::freetype {
namespace {

namespace fs = std::filesystem;

// The installed faces reports use (Liberation, DejaVu).
std::vector<std::string> FontFiles()
{
    std::vector<std::string> files;
    for (const char* folder : {"/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/liberation",
                               "/usr/share/fonts/truetype/dejavu"}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error))
            if (entry.path().extension() == ".ttf" && files.size() < 8) files.push_back(entry.path().string());
    }
    return files;
}

class FreeTypeShortcuts : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(FT_Init_FreeType(&FLibrary), 0); }
    void TearDown() override { FT_Done_FreeType(FLibrary); }
    FT_Library FLibrary = nullptr;
};

TEST_F(FreeTypeShortcuts, CharacterLookupsEqualFreeTypesUnderEveryCharacterMap)
{
    const auto files = FontFiles();
    ASSERT_FALSE(files.empty()) << "no Liberation or DejaVu fonts installed";
    for (const std::string& file : files) {
        FT_Face face = nullptr;
        ASSERT_EQ(FT_New_Face(FLibrary, file.c_str(), 0, &face), 0) << file;
        for (int map = 0; map < face->num_charmaps; ++map) {
            ASSERT_EQ(FT_Set_Charmap(face, face->charmaps[map]), 0);
            // Twice: once filling the table, once answered from it.
            for (int round = 0; round < 2; ++round)
                for (FT_ULong c = 0; c < 0x10000; ++c)
                    ASSERT_EQ(FT_Get_Char_Index(face, c), RealCharIndex(face, c))
                        << file << " map " << map << " U+" << std::hex << c;
            EXPECT_EQ(FT_Get_Char_Index(face, 0x1F600), RealCharIndex(face, 0x1F600));
        }
        EXPECT_TRUE(CharIndexesKept(face));
        FT_Done_Face(face);  // frees the table with the face (the leak checkers of the sanitizer build see it)
    }
}

TEST_F(FreeTypeShortcuts, AFaceWhoseClientSlotIsTakenIsAskedDirectly)
{
    const auto files = FontFiles();
    ASSERT_FALSE(files.empty());
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(FLibrary, files[0].c_str(), 0, &face), 0);
    static int owner;
    face->generic.data = &owner;
    face->generic.finalizer = [](void* object) { static_cast<FT_Face>(object)->generic.data = nullptr; };
    const uint64_t before = CharIndexesAsked();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(FT_Get_Char_Index(face, 'A'), RealCharIndex(face, 'A'));
    EXPECT_EQ(CharIndexesAsked() - before, 3u);
    EXPECT_FALSE(CharIndexesKept(face));
    EXPECT_EQ(face->generic.data, &owner);
    FT_Done_Face(face);
}

TEST_F(FreeTypeShortcuts, OutlinesAtTheDesignSizeAreTheDesignsOthersAreLeftAlone)
{
    const auto files = FontFiles();
    ASSERT_FALSE(files.empty());
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(FLibrary, files[0].c_str(), 0, &face), 0);
    const FT_UInt glyph = FT_Get_Char_Index(face, 'g');
    auto points = [&](FT_Int32 flags) {
        EXPECT_EQ(FT_Load_Glyph(face, glyph, flags), 0);
        const FT_Outline& o = face->glyph->outline;
        return std::vector<FT_Vector>(o.points, o.points + o.n_points);
    };
    auto same = [](const std::vector<FT_Vector>& a, const std::vector<FT_Vector>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
        return true;
    };
    const FT_Long em = face->units_per_EM;
    ASSERT_EQ(FT_Set_Char_Size(face, em << 6, em << 6, 0, 0), 0);
    EXPECT_TRUE(same(points(FT_LOAD_NO_BITMAP), points(FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING)));
    // At a screen size the same flags keep grid fitting: stems land on whole pixels.
    ASSERT_EQ(FT_Set_Char_Size(face, 13 << 6, 13 << 6, 96, 96), 0);
    const auto hinted = points(FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO);
    EXPECT_FALSE(same(hinted, points(FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING)));
    FT_Done_Face(face);
}

TEST(FreeTypeShortcutsInQt, QtsLookupsReachTheTableAndRepeatsStayThere)
{
    const QRawFont font = QRawFont::fromFont(QFont(QStringLiteral("Liberation Sans"), 20));
    ASSERT_TRUE(font.isValid());
    // Beyond the first 512 characters Qt asks FreeType on every lookup.
    const QString text = QStringLiteral("ŁŒŠŽ€ƒ‰™");
    const uint64_t before = CharIndexesAsked();
    const QList<quint32> first = font.glyphIndexesForString(text);
    const uint64_t asked = CharIndexesAsked() - before;
    EXPECT_GE(asked, 1u) << "Qt's lookups did not reach the shortcut";
    EXPECT_LE(asked, static_cast<uint64_t>(text.size()));
    const uint64_t again = CharIndexesAsked();
    EXPECT_EQ(font.glyphIndexesForString(text), first);
    EXPECT_EQ(CharIndexesAsked(), again) << "answered from the table";
}

}  // namespace
}  // namespace qrp::render::freetype
