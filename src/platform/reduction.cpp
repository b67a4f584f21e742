// Fine scans reduced to the resolution the engine reads, and pixel memory reused between
// sheets.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/image_decoder.h"
#include "platform/raw_decode.h"

namespace quillmark {

int ReductionFactor(long long width, long long height) {
    const long long longer = std::max(width, height);
    int factor = 1;
    while (longer > static_cast<long long>(kMaxLongerSide) * factor) factor *= 2;
    return factor;
}

}  // namespace quillmark

namespace quillmark::detail {

int BytesPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::Gray8: return 1;
        case PixelFormat::Rgb24: return 3;
        case PixelFormat::Bgrx32: return 4;
    }
    return 1;
}

PixelBuffer PixelsFor(int width, int height, PixelFormat format) {
    PixelBuffer out;
    out.width = width;
    out.height = height;
    out.format = format;
    out.stride = width * BytesPerPixel(format);
    // Shrinking or keeping the size writes nothing: pixels of the earlier sheet stay until
    // the decoder overwrites them.
    out.bytes = std::exchange(SparePixelBytes(), {});
    out.bytes.resize(static_cast<std::size_t>(out.stride) * static_cast<std::size_t>(height));
    return out;
}

RowReducer::RowReducer(int width, int height, PixelFormat format, int factor)
    : width_(width), height_(height), channels_(BytesPerPixel(format)), factor_(factor) {
    out_ = PixelsFor((width + factor - 1) / factor, (height + factor - 1) / factor, format);
    sums_.assign(static_cast<std::size_t>(out_.width) * static_cast<std::size_t>(channels_), 0);
}

void RowReducer::Add(const std::uint8_t* row) {
    const int c = channels_;
    for (int x = 0, column = 0; x < width_; x += factor_, ++column) {
        const int across = std::min(factor_, width_ - x);
        std::uint32_t* sum = sums_.data() + static_cast<std::size_t>(column) * c;
        const std::uint8_t* in = row + static_cast<std::size_t>(x) * c;
        for (int i = 0; i < across; ++i) {
            for (int k = 0; k < c; ++k) sum[k] += in[i * c + k];
        }
    }
    ++rowsIn_;
    const int rowsInBand = rowsIn_ - outRow_ * factor_;
    if (rowsInBand == factor_ || rowsIn_ == height_) Flush(rowsInBand);
}

void RowReducer::Flush(int rows) {
    std::uint8_t* out = out_.bytes.data() + static_cast<std::size_t>(outRow_) * static_cast<std::size_t>(out_.stride);
    const int c = channels_;
    for (int column = 0; column < out_.width; ++column) {
        const std::uint32_t count = static_cast<std::uint32_t>(rows * std::min(factor_, width_ - column * factor_));
        for (int k = 0; k < c; ++k) {
            std::uint32_t& sum = sums_[static_cast<std::size_t>(column) * c + k];
            out[column * c + k] = static_cast<std::uint8_t>((sum + count / 2) / count);
            sum = 0;
        }
    }
    ++outRow_;
}

GreyRows::GreyRows(int width, int height) {
    const int factor = ReductionFactor(width, height);
    if (factor > 1) {
        reducer_.emplace(width, height, PixelFormat::Gray8, factor);
        line_.resize(static_cast<std::size_t>(width));
    } else {
        image_ = PixelsFor(width, height, PixelFormat::Gray8);
    }
}

std::uint8_t* GreyRows::Row(int y) {
    return reducer_ ? line_.data() : image_.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.stride);
}

void GreyRows::Done() {
    if (reducer_) reducer_->Add(line_.data());
}

PixelBuffer GreyRows::Take() { return reducer_ ? reducer_->Take() : std::move(image_); }

PixelBuffer Reduce(PixelBuffer source, int factor) {
    if (factor <= 1) return source;
    RowReducer reducer(source.width, source.height, source.format, factor);
    for (int y = 0; y < source.height; ++y) {
        reducer.Add(source.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(source.stride));
    }
    return reducer.Take();
}

}  // namespace quillmark::detail
