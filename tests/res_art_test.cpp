// The icon and the drive image strip, read as the files Windows loads: headers, sizes, colour
// depth, and the strip's promise that no pixel has the image list's mask colour.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U16(const std::vector<uint8_t>& b, size_t o) {
    return b.at(o) | b.at(o + 1) << 8;
}
uint32_t U32(const std::vector<uint8_t>& b, size_t o) {
    return U16(b, o) | U16(b, o + 2) << 16;
}

// Row size in bytes of an uncompressed DIB row: padded to 32 bits.
size_t Stride(int width, int bits) {
    return ((width * bits + 31) / 32) * 4;
}

// BITMAPINFOHEADER of a 4-bit, uncompressed, 16-colour image.
void ExpectInfoHeader(const std::vector<uint8_t>& b, size_t o, int width, int height) {
    EXPECT_EQ(U32(b, o), 40u);                              // biSize
    EXPECT_EQ(static_cast<int32_t>(U32(b, o + 4)), width);  // biWidth
    EXPECT_EQ(static_cast<int32_t>(U32(b, o + 8)), height); // biHeight
    EXPECT_EQ(U16(b, o + 12), 1u);                          // biPlanes
    EXPECT_EQ(U16(b, o + 14), 4u);                          // biBitCount
    EXPECT_EQ(U32(b, o + 16), 0u);                          // BI_RGB
    uint32_t used = U32(b, o + 32);
    EXPECT_TRUE(used == 0 || used == 16) << used; // biClrUsed
}

TEST(ResArt, IconHasA32And16PixelImageIn16Colours) {
    std::vector<uint8_t> ico = ReadAll(HX_ART_DIR "/HxSetup.ico");
    ASSERT_GE(ico.size(), 6u + 2 * 16);
    EXPECT_EQ(U16(ico, 0), 0u); // reserved
    EXPECT_EQ(U16(ico, 2), 1u); // an icon, not a cursor
    ASSERT_EQ(U16(ico, 4), 2u);

    const int sizes[] = {32, 16};
    size_t expectedOffset = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(sizes[i]);
        size_t e = 6 + 16 * i;
        int n = sizes[i];
        EXPECT_EQ(ico[e], n);      // width
        EXPECT_EQ(ico[e + 1], n);  // height
        EXPECT_EQ(ico[e + 2], 16); // colours
        EXPECT_EQ(U16(ico, e + 4), 1u);
        EXPECT_EQ(U16(ico, e + 6), 4u);
        uint32_t bytes = U32(ico, e + 8);
        uint32_t offset = U32(ico, e + 12);
        // Header, 16-entry palette, 4-bit colour image, 1-bit AND mask.
        EXPECT_EQ(bytes, 40 + 16 * 4 + n * Stride(n, 4) + n * Stride(n, 1));
        EXPECT_EQ(offset, expectedOffset);
        ASSERT_LE(offset + bytes, ico.size());
        // The image's height counts the colour image and the mask together.
        ExpectInfoHeader(ico, offset, n, 2 * n);
        expectedOffset = offset + bytes;
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

TEST(ResArt, DriveStripIsFive16PixelImagesWithoutTheMaskColour) {
    std::vector<uint8_t> bmp = ReadAll(HX_ART_DIR "/Drives.bmp");
    ASSERT_GE(bmp.size(), 14u + 40 + 64);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(U32(bmp, 2), bmp.size());
    const uint32_t bits = U32(bmp, 10);
    EXPECT_EQ(bits, 14u + 40 + 16 * 4);
    ExpectInfoHeader(bmp, 14, 80, 16); // positive height: bottom-up rows
    const size_t stride = Stride(80, 4);
    ASSERT_EQ(bmp.size(), bits + 16 * stride);

    // Colours as RGB(r, g, b) COLORREFs, from the BGRx palette.
    uint32_t palette[16];
    for (int i = 0; i < 16; ++i) {
        size_t p = 14 + 40 + 4 * i;
        palette[i] = bmp[p + 2] | bmp[p + 1] << 8 | bmp[p] << 16;
    }
    const uint32_t kMaskColour = 0x000080; // RGB(128, 0, 0)

    int drawn[5] = {}; // pixels that differ from the image's top-left background pixel
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 80; ++x) {
            uint8_t byte = bmp[bits + (15 - y) * stride + x / 2];
            int index = x % 2 == 0 ? byte >> 4 : byte & 0x0F;
            ASSERT_NE(palette[index], kMaskColour) << "pixel " << x << "," << y;
            uint8_t corner = bmp[bits + 15 * stride + (x / 16) * 8];
            if (index != (corner >> 4))
                ++drawn[x / 16];
        }
    }
    for (int i = 0; i < 5; ++i)
        EXPECT_GT(drawn[i], 16) << "image " << i << " is (nearly) empty";
}

} // namespace
