// The icon maker's reading of the readable picture: a mistake is an error
// naming its line, never a crash or a colour silently made up.

#include "icon_picture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

// A picture of 32 rows of one colour, after the given palette lines.
std::string PictureWith(const std::string& paletteLines) {
    std::string text = "# a test picture\n" + paletteLines;
    for (int row = 0; row < 32; ++row) text += std::string(32, '1') + "\n";
    return text;
}

bool Parse(const std::string& text, Picture& picture, std::string& error) {
    std::istringstream in(text);
    return ParsePicture(in, picture, error);
}

}  // namespace

TEST(IconPicture, PaletteEntriesAreRead) {
    Picture picture;
    std::string error;
    ASSERT_TRUE(Parse(PictureWith("palette 1 00FF80\npalette f abcdef\n"), picture, error)) << error;
    EXPECT_EQ(picture.palette[1], 0x00FF80u);
    EXPECT_EQ(picture.palette[15], 0xABCDEFu);
    EXPECT_EQ(picture.palette[0], 0u);
    EXPECT_EQ(picture.rows.size(), 32u);
}

TEST(IconPicture, BadPaletteEntryIsAnErrorNamingItsLine) {
    const char* bad[] = {
        "palette 1 zzzzzz",         // no digit at all
        "palette 1 12xyz9",         // digits, then not
        "palette 1 -12345",         // a sign
        "palette 1 +12345",         //
        "palette 1 0x1234",         // a prefix
        "palette 1 12345",          // too short
        "palette 1 1234567",        // too long
        "palette g 123456",         // index not a hex digit
        "palette 1",                // no colour
        "palette 1 123456 654321",  // something after the colour
    };
    for (const char* entry : bad) {
        SCOPED_TRACE(entry);
        Picture picture;
        std::string error;
        EXPECT_FALSE(Parse(PictureWith("palette 0 000000\n" + std::string(entry) + "\n"), picture, error));
        EXPECT_EQ(error.rfind("line 3: bad palette entry", 0), 0u) << error;
    }
}

TEST(IconPicture, EncodedIconHoldsThePaletteAndTheMask) {
    Picture picture;
    std::string error;
    std::string text = "palette 1 102030\n";
    for (int row = 0; row < 32; ++row) text += "." + std::string(31, '1') + "\n";
    ASSERT_TRUE(Parse(text, picture, error)) << error;
    const std::vector<std::uint8_t> icon = EncodeIcon(picture);
    ASSERT_EQ(icon.size(), 6u + 16u + 40u + 64u + 512u + 128u);
    // Palette entry 1, stored blue, green, red, 0, after both headers.
    EXPECT_EQ(icon[22 + 40 + 4], 0x30);
    EXPECT_EQ(icon[22 + 40 + 5], 0x20);
    EXPECT_EQ(icon[22 + 40 + 6], 0x10);
    // First colour byte: the transparent pixel as 0, then index 1.
    EXPECT_EQ(icon[22 + 40 + 64], 0x01);
    // First mask byte: only the leftmost pixel transparent.
    EXPECT_EQ(icon[22 + 40 + 64 + 512], 0x80);
}
