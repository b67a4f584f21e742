// Writes the sample sheet images of the program folder: filled sheets of the user-defined
// type for the sample paper and roster, scanned in a few typical ways.
//   make_samples programfolder/sample
#include <QBuffer>
#include <QImage>
#include <iostream>

#include "data/file_io.h"
#include "marking/sheet_layouts.h"
#include "support/filled_sheet.h"

namespace {

using quillmark::test::FilledSheetRecipe;

struct Sample {
    const char* file;
    const char* number;
    std::vector<std::string> answers;
    double dpi;
    int quarterTurns;
    double degrees;
};

std::string GreyBmp(const quillmark::PixelBuffer& image) {
    QImage grey(image.bytes.data(), image.width, image.height, image.stride, QImage::Format_Grayscale8);
    QImage indexed = grey.convertToFormat(QImage::Format_Indexed8);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    indexed.save(&buffer, "BMP");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_samples FOLDER\n";
        return 2;
    }
    std::filesystem::path folder = argv[1];
    const quillmark::SheetLayout layout = quillmark::LayoutOf(quillmark::kSheetTypes[20]);
    const std::vector<std::string> key = {"2", "13", "4", "1", "3", "24", "1", "2", "3", "4",
                                          "5", "12", "2", "1", "3", "4", "2", "135", "3", "1"};
    std::vector<std::string> someWrong = key;
    someWrong[2] = "1";
    someWrong[7] = "";
    someWrong[17] = "1";  // part of the key: still right
    std::vector<std::string> half(key.begin(), key.begin() + 10);
    const std::vector<Sample> samples = {
        {"sheet-0101.jpg", "0101", key, 200, 0, 0},
        {"sheet-0102.jpg", "0102", someWrong, 200, 0, 1.2},
        {"sheet-0103.jpg", "0103", half, 150, 3, -0.6},
        {"sheet-0104.jpg", "0104", someWrong, 150, 1, 0.4},
        {"sheet-0105.bmp", "0105", key, 150, 0, 0},
        {"sheet-0199.jpg", "0199", half, 150, 2, 0},
    };
    int seed = 1;
    for (const Sample& sample : samples) {
        FilledSheetRecipe recipe;
        recipe.layout = &layout;
        recipe.dpi = sample.dpi;
        recipe.number = sample.number;
        recipe.answers = sample.answers;
        recipe.quarterTurns = sample.quarterTurns;
        recipe.rotateDegrees = sample.degrees;
        recipe.noise = 3;
        recipe.seed = static_cast<std::uint64_t>(seed++);
        quillmark::PixelBuffer image = quillmark::test::MakeFilledSheet(recipe).image;
        std::string file = sample.file;
        std::string bytes = file.ends_with(".bmp") ? GreyBmp(image) : quillmark::test::EncodeJpegGray(image, 85);
        quillmark::Status status = quillmark::WriteFileAtomically(folder / file, bytes);
        if (!status.ok()) {
            std::cerr << status.message() << "\n";
            return 1;
        }
        std::cout << (folder / file).string() << "\n";
    }
    // A page that is no answer sheet, to show what a failed scan looks like.
    quillmark::PixelBuffer blank = quillmark::PixelBuffer::Blank(1240, 1754, quillmark::PixelFormat::Gray8, 250);
    quillmark::Status status = quillmark::WriteFileAtomically(folder / "not-a-sheet.jpg", quillmark::test::EncodeJpegGray(blank, 85));
    if (!status.ok()) {
        std::cerr << status.message() << "\n";
        return 1;
    }
    return 0;
}
