#pragma once

#include <string>

#include "sheet_image.h"

namespace quillmark {

// Tells two images apart by their pixels: the same picture decoded again has the same one,
// another picture (or the same file changed since) almost surely not. 16 hex digits.
std::string ImageFingerprint(const PixelBuffer& image);

}  // namespace quillmark
