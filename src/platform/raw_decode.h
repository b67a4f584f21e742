#pragma once

#include <string>
#include <string_view>

#include "engine/sheet_image.h"

namespace quillmark::detail {

// What one format's decoder hands back: pixels, or the reason they could not be had,
// worded to follow "无法读取图像文件“name”：".
struct RawDecode {
    PixelBuffer pixels;
    std::string problem;
};

inline constexpr const char* kCorruptImage = "文件已损坏或不是JPEG/BMP图像";

std::string TooLargeProblem(long long width, long long height);

RawDecode DecodeJpeg(std::string_view bytes);
RawDecode DecodeBmp(std::string_view bytes);

}  // namespace quillmark::detail
