#pragma once

#include <QIODevice>
#include <QImage>
#include <QRectF>
#include <functional>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "data/result_set.h"
#include "data/status.h"
#include "engine/sheet_image.h"
#include "engine/sheet_type.h"

namespace quillmark {

// One examinee's sheet as it was marked, turned upright: the marks read outlined, green where the question
// scored and red where it did not (with the key beside it), doubtful questions framed in
// amber, answers changed by hand labelled with what was read. Without the image (moved or
// deleted since marking) the sheet is drawn from its saved cell scores instead.
struct AnnotatedSheet {
    QImage image;
    std::string note;  // why the sheet image could not be shown; empty when it was
};

AnnotatedSheet AnnotateSheet(const SheetReview& sheet, const ResultSet& records, const SheetType& type,
                             const PixelBuffer* image, const std::string& imageProblem);

// The sheet of the review record, loading its image and its type from the program folder.
AnnotatedSheet AnnotateSheet(const SheetReview& sheet, const ResultSet& records, const std::filesystem::path& programFolder);

// A sheet's picture kept open for drawing it again as decisions change, and for showing the
// area of one question: the review view crops it there.
class SheetPicture {
public:
    SheetPicture(const SheetReview& sheet, const std::filesystem::path& programFolder);
    ~SheetPicture();
    // Why the image could not be shown; empty when it was.
    const std::string& Note() const { return note_; }
    bool HasType() const { return typeFound_; }
    AnnotatedSheet Draw(const SheetReview& sheet, const ResultSet& records) const;
    // Where the question's options lie on the drawn picture (question 0: the number block),
    // with a margin of about two cells.
    QRectF Area(int question) const;

private:
    SheetType type_;
    bool typeFound_ = false;
    PixelBuffer pixels_;
    int orientation_ = 3;
    std::string note_;
    std::unique_ptr<class CellLocator> locator_;
};

// One A4 page a sheet, drawn one at a time as the pages are written (a large set is never
// held whole), into the device; the caller decides where the bytes go.
Status WriteAnnotatedPdf(std::size_t count, const std::function<AnnotatedSheet(std::size_t)>& draw, QIODevice& device);

// Colours of the marks, for tests and the legend.
inline constexpr unsigned kRightColour = 0x1E9E3A;
inline constexpr unsigned kWrongColour = 0xD62828;
inline constexpr unsigned kDoubtColour = 0xF0A202;
inline constexpr unsigned kCorrectedColour = 0x8E24AA;

}  // namespace quillmark
