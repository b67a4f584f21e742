#include <gtest/gtest.h>

#include "engine/sheet_image.h"

namespace quillmark {
namespace {

Colour Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

TEST(Luminance, PrimaryColoursAndTheInvalidColour) {
    EXPECT_EQ(Luminance(Rgb(255, 255, 255)), 255);
    EXPECT_EQ(Luminance(Rgb(0, 0, 0)), 0);
    EXPECT_EQ(Luminance(Rgb(255, 0, 0)), 76);
    EXPECT_EQ(Luminance(Rgb(0, 255, 0)), 150);
    EXPECT_EQ(Luminance(Rgb(0, 0, 255)), 29);
    EXPECT_EQ(Luminance(kInvalidColour), 28);
}

TEST(Luminance, HalfwaySumsRoundToEven) {
    // 9798*r + 19235*g + 3735*b = 16384 (one half) for no byte triple, but 3*16384 and
    // 5*16384 are reachable: find some and check the direction of rounding.
    int checked = 0;
    for (int r = 0; r < 256 && checked < 50; ++r) {
        for (int g = 0; g < 256 && checked < 50; ++g) {
            for (int b = 0; b < 256; ++b) {
                int sum = 9798 * r + 19235 * g + 3735 * b;
                if (sum % 32768 != 16384) continue;
                int q = sum / 32768;
                EXPECT_EQ(Luminance(Rgb(r, g, b)), q % 2 == 0 ? q : q + 1);
                ++checked;
                break;
            }
        }
    }
    EXPECT_GT(checked, 0);
}

TEST(SheetImageView, EveryFormatReadsTheSameColourAndLuminance) {
    PixelBuffer gray = PixelBuffer::Blank(3, 2, PixelFormat::Gray8);
    PixelBuffer rgb = PixelBuffer::Blank(3, 2, PixelFormat::Rgb24);
    PixelBuffer bgrx = PixelBuffer::Blank(3, 2, PixelFormat::Bgrx32);
    gray.bytes[1 * gray.stride + 2] = 100;
    std::uint8_t* p = &rgb.bytes[static_cast<std::size_t>(1 * rgb.stride + 2 * 3)];
    p[0] = 10, p[1] = 20, p[2] = 30;
    std::uint8_t* q = &bgrx.bytes[static_cast<std::size_t>(1 * bgrx.stride + 2 * 4)];
    q[0] = 30, q[1] = 20, q[2] = 10;

    EXPECT_EQ(SheetImage(gray).readPixel(2, 1), Rgb(100, 100, 100));
    EXPECT_EQ(SheetImage(rgb).readPixel(2, 1), Rgb(10, 20, 30));
    EXPECT_EQ(SheetImage(bgrx).readPixel(2, 1), Rgb(10, 20, 30));
    for (const PixelBuffer* buffer : {&gray, &rgb, &bgrx}) {
        SheetImage image(*buffer);
        for (int y = -1; y <= 2; ++y) {
            for (int x = -1; x <= 3; ++x) {
                EXPECT_EQ(image.luminanceAtPixel(x, y), Luminance(image.readPixel(x, y))) << x << "," << y;
            }
        }
    }
}

TEST(SheetImageView, OutsideReadsAreInvalidAndRealPositionsRoundToEven) {
    PixelBuffer buffer = PixelBuffer::Blank(20, 3, PixelFormat::Gray8);
    for (int x = 0; x < 20; ++x) buffer.bytes[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(x * 10);
    SheetImage image(buffer);
    EXPECT_EQ(image.readPixel(-1, 0), kInvalidColour);
    EXPECT_EQ(image.readPixel(20, 0), kInvalidColour);
    EXPECT_EQ(image.readPixel(0, 3), kInvalidColour);
    EXPECT_EQ(image.luminanceAtPixel(0, 3), 28);
    EXPECT_EQ(image.luminanceAt(10.5, 0), 100);  // column 10
    EXPECT_EQ(image.luminanceAt(11.5, 0), 120);  // column 12
    EXPECT_EQ(image.luminanceAt(-0.5, 0), 0);    // column 0
}

}  // namespace
}  // namespace quillmark
