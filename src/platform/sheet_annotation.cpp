#include "sheet_annotation.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QTransform>
#include <QPdfWriter>
#include <algorithm>
#include <functional>
#include <memory>

#include "data/exam_paper.h"
#include "engine/cell_locator.h"
#include "data/stored_path.h"
#include "data/ui_text.h"
#include "engine/grid.h"
#include "engine/image_fingerprint.h"
#include "image_decoder.h"
#include "marking/installed_sheet_types.h"

namespace quillmark {
namespace {

// A cell's size when the sheet is drawn from its saved scores.
constexpr double kScoreCell = 18;

// Indexes from a review file are checked against the type before a cell is looked up: the
// file may be damaged, or the type's definition edited since marking.
bool HasQuestion(const SheetType& type, int q) {
    return q >= 1 && q <= type.答题卡总题数 && q < static_cast<int>(type.answerPositions.size());
}
bool HasOption(const SheetType& type, int k) { return k >= 1 && k <= type.每题选项数; }
bool HasDigit(const SheetType& type, int n) {
    return n >= 1 && n <= type.考号位数 && n < static_cast<int>(type.numberPositions.size());
}

QColor Colour(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QImage ToQImage(const PixelBuffer& pixels) {
    QImage::Format format = pixels.format == PixelFormat::Gray8   ? QImage::Format_Grayscale8
                            : pixels.format == PixelFormat::Rgb24 ? QImage::Format_RGB888
                                                                  : QImage::Format_RGB32;
    return QImage(pixels.bytes.data(), pixels.width, pixels.height, pixels.stride, format).convertToFormat(QImage::Format_RGB32);
}

std::string Letters(const std::string& digits) {
    std::string letters;
    for (char d : digits) {
        if (d >= '1' && d <= '5') letters += static_cast<char>('A' + (d - '1'));
    }
    return letters.empty() ? "—" : letters;
}

int RowOf(const Roster& roster, const std::string& examinee) {
    for (int row = 1; row <= roster.RowCount(); ++row) {
        if (roster.Row(row)[Examinee::考号] == examinee) return row;
    }
    return 0;
}

// Where each option of each question and each digit value is drawn, and how big a cell is.
struct Layout {
    std::function<QPointF(GridPosition)> centre;
    QSizeF cell;
};

void DrawMarks(QPainter& p, const Layout& layout, const SheetReview& sheet, const ResultSet& records, const SheetType& type) {
    int row = RowOf(records.roster, sheet.examinee);
    QSizeF box = layout.cell * 0.9;
    double pen = std::max(2.0, layout.cell.height() / 8);
    QFont font = p.font();
    font.setPixelSize(std::max(10, static_cast<int>(layout.cell.height() * 0.8)));
    font.setBold(true);
    p.setFont(font);
    auto rect = [&](GridPosition cell) {
        QPointF c = layout.centre(cell);
        return QRectF(c.x() - box.width() / 2, c.y() - box.height() / 2, box.width(), box.height());
    };
    int questions = std::min(type.答题卡总题数, static_cast<int>(records.paper.总题数));
    for (int q = 1; q <= questions && HasQuestion(type, q); ++q) {
        std::string answer = row > 0 ? records.answers.Cell(q, row) : std::string();
        std::string key = records.paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA];
        bool right = AnswerIsCorrect(answer, key);
        QColor colour = Colour(right ? kRightColour : kWrongColour);
        for (char d : answer) {
            int k = d - '0';
            if (k < 1 || k > type.每题选项数) continue;
            p.setPen(QPen(colour, pen));
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect(type.OptionCell(q, k)));
        }
        QRectF last = rect(type.OptionCell(q, type.每题选项数));
        QRectF first = rect(type.OptionCell(q, 1));
        QRectF whole = first.united(last).adjusted(-pen * 2, -pen * 2, pen * 2, pen * 2);
        if (std::find(sheet.doubtfulQuestions.begin(), sheet.doubtfulQuestions.end(), q) != sheet.doubtfulQuestions.end()) {
            p.setPen(QPen(Colour(kDoubtColour), pen, Qt::DashLine));
            p.drawRect(whole);
        }
        // What was read before a change by hand: its options outlined in dashes, so no label
        // competes for the little room between the blocks of questions.
        auto decided = sheet.decisions.find(q);
        std::size_t index = static_cast<std::size_t>(q - 1);
        if (decided != sheet.decisions.end() && index < sheet.answersRead.size() && decided->second != sheet.answersRead[index]) {
            p.setPen(QPen(Colour(kCorrectedColour), pen, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            for (char d : sheet.answersRead[index]) {
                int k = d - '0';
                if (k >= 1 && k <= type.每题选项数) p.drawRect(rect(type.OptionCell(q, k)).adjusted(-pen * 1.5, -pen * 1.5, pen * 1.5, pen * 1.5));
            }
        }
        // The key beside a wrong answer, shrunk to the gap before the next block's numbers.
        if (!right) {
            QString keyNote = QString::fromStdString(Letters(key));
            QRectF space(whole.right() + pen, whole.top(), layout.cell.width() * 1.2, whole.height());
            QFont small = font;
            double width = QFontMetricsF(small).horizontalAdvance(keyNote);
            if (width > space.width()) small.setPixelSize(std::max(8, static_cast<int>(font.pixelSize() * space.width() / width)));
            p.setFont(small);
            p.setPen(colour);
            p.drawText(space, Qt::AlignLeft | Qt::AlignVCenter, keyNote);
            p.setFont(font);
        }
    }
    for (int n = 1; HasDigit(type, n) && n <= static_cast<int>(sheet.examinee.size()); ++n) {
        int v = sheet.examinee[static_cast<std::size_t>(n - 1)] - '0';
        if (v < 0 || v > 9) continue;
        bool doubtful = std::find(sheet.doubtfulDigits.begin(), sheet.doubtfulDigits.end(), n) != sheet.doubtfulDigits.end();
        p.setPen(QPen(Colour(doubtful ? kDoubtColour : 0x1565C0), pen));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect(type.DigitCell(n, v)));
    }
}

// Turns an image whose sheet top lies at `orientation` (3 top, 4 bottom, 1 left, 2 right)
// upright; the same transform maps its points.
QTransform UprightTransform(int orientation, int width, int height) {
    QTransform turn;
    if (orientation == 1) turn.rotate(90);
    else if (orientation == 2) turn.rotate(-90);
    else if (orientation == 4) turn.rotate(180);
    return QImage::trueMatrix(turn, width, height);
}

// The sheet drawn from the saved cell scores: each cell a square as dark as it was read.
QImage DrawFromScores(const SheetReview& sheet, const SheetType& type, const std::string& problem) {
    const double cell = kScoreCell;
    QImage image(static_cast<int>((type.水平单元格数 + 2) * cell), static_cast<int>((type.垂直单元格数 + 4) * cell),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    p.drawText(QRectF(cell, 0, image.width() - 2 * cell, 2 * cell), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(FillForm(UiText("SheetAnnotation", "%1（以下按保存的填涂分数绘制）"), {problem})));
    auto centre = [&](GridPosition g) { return QPointF((g.column + 0.5) * cell, (g.row + 2.5) * cell); };
    auto shade = [&](GridPosition g, int score) {
        int grey = std::clamp(score, 0, 100) * 255 / 100;  // 100 is an empty cell: white
        p.fillRect(QRectF(centre(g) - QPointF(cell * 0.35, cell * 0.25), QSizeF(cell * 0.7, cell * 0.5)), QColor(grey, grey, grey));
        p.setPen(QColor(230, 140, 160));
        p.drawRect(QRectF(centre(g) - QPointF(cell * 0.35, cell * 0.25), QSizeF(cell * 0.7, cell * 0.5)));
    };
    for (std::size_t q = 0; q < sheet.optionScores.size() && HasQuestion(type, static_cast<int>(q + 1)); ++q) {
        for (std::size_t k = 0; k < sheet.optionScores[q].size() && HasOption(type, static_cast<int>(k + 1)); ++k) {
            shade(type.OptionCell(static_cast<int>(q + 1), static_cast<int>(k + 1)), sheet.optionScores[q][k]);
        }
    }
    for (std::size_t n = 0; n < sheet.digitScores.size() && HasDigit(type, static_cast<int>(n + 1)); ++n) {
        for (std::size_t v = 0; v < sheet.digitScores[n].size() && v <= 9; ++v) {
            shade(type.DigitCell(static_cast<int>(n + 1), static_cast<int>(v)), sheet.digitScores[n][v]);
        }
    }
    return image;
}

}  // namespace

AnnotatedSheet AnnotateSheet(const SheetReview& sheet, const ResultSet& records, const SheetType& type,
                             const PixelBuffer* image, const std::string& imageProblem) {
    AnnotatedSheet annotated;
    Layout layout;
    FrameGeometry frame;
    std::unique_ptr<CellLocator> locator;
    if (image && !image->bytes.empty()) {
        // Drawn upright, so a turned scan reads like the sheet and its letters stand straight.
        QTransform upright = UprightTransform(sheet.orientation, image->width, image->height);
        annotated.image = ToQImage(*image).transformed(upright);
        frame.orientation = sheet.orientation;
        for (std::size_t c = 0; c < 4; ++c) frame.corners[c] = Point{sheet.corners[2 * c], sheet.corners[2 * c + 1]};
        locator = std::make_unique<CellLocator>(SheetImage(*image), frame, type);
        CellSizePx size = locator->CellSize();
        layout.cell = QSizeF(std::min(size.width, size.height), std::min(size.width, size.height) * 0.75);
        layout.centre = [&locator, upright](GridPosition g) {
            Point p = locator->Centre(g);
            return upright.map(QPointF(p.x, p.y));
        };
    } else {
        annotated.note = imageProblem.empty() ? UiText("SheetAnnotation", "答题卡图像不可用") : imageProblem;
        annotated.image = DrawFromScores(sheet, type, annotated.note);
        const double cell = kScoreCell;
        layout.cell = QSizeF(cell * 0.7, cell * 0.5);
        layout.centre = [cell](GridPosition g) { return QPointF((g.column + 0.5) * cell, (g.row + 2.5) * cell); };
    }
    QPainter p(&annotated.image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawMarks(p, layout, sheet, records, type);
    return annotated;
}

SheetPicture::SheetPicture(const SheetReview& sheet, const std::filesystem::path& programFolder) {
    std::optional<SheetTypeDefinition> definition = LoadInstalledSheetType(programFolder, sheet.typeCode);
    if (definition) type_ = definition->type;
    typeFound_ = definition && definition->problem.ok();
    if (!typeFound_) {
        note_ = FillForm(UiText("SheetAnnotation", "找不到答题卡类型定义“%1”"), {sheet.typeCode});
        return;
    }
    std::error_code ec;
    std::filesystem::path file = ResolveStoredImagePath(sheet.file, programFolder);
    // Records from before paths were kept this way name the image as marking was given it.
    if (sheet.fingerprint.empty() && !std::filesystem::exists(file, ec)) file = sheet.file;
    if (sheet.file.empty() || !std::filesystem::exists(file, ec)) {
        note_ = FillForm(UiText("SheetAnnotation", "考号%1的答题卡图像“%2”已不存在"), {sheet.examinee, sheet.file});
        return;
    }
    DecodedImage decoded = DecodeImageFile(file, sheet.page);
    if (!decoded.ok()) {
        note_ = decoded.status.message();
        return;
    }
    // Another picture under the marked one's name must not be drawn as this examinee's sheet.
    if (!sheet.fingerprint.empty() && ImageFingerprint(decoded.pixels) != sheet.fingerprint) {
        note_ = FillForm(UiText("SheetAnnotation", "考号%1的答题卡图像已更改（“%2”已不是阅卷时的图像）"),
                         {sheet.examinee, file.string()});
        return;
    }
    pixels_ = std::move(decoded.pixels);
    FrameGeometry frame;
    frame.orientation = sheet.orientation;
    orientation_ = sheet.orientation;
    for (std::size_t c = 0; c < 4; ++c) frame.corners[c] = Point{sheet.corners[2 * c], sheet.corners[2 * c + 1]};
    locator_ = std::make_unique<CellLocator>(SheetImage(pixels_), frame, type_);
}

SheetPicture::~SheetPicture() = default;

AnnotatedSheet SheetPicture::Draw(const SheetReview& sheet, const ResultSet& records) const {
    if (!typeFound_) {
        AnnotatedSheet missing;
        missing.note = note_;
        missing.image = QImage(400, 60, QImage::Format_RGB32);
        missing.image.fill(Qt::white);
        QPainter p(&missing.image);
        p.drawText(missing.image.rect(), Qt::AlignCenter, QString::fromStdString(note_));
        return missing;
    }
    return AnnotateSheet(sheet, records, type_, locator_ ? &pixels_ : nullptr, note_);
}

QRectF SheetPicture::Area(int question) const {
    if (!typeFound_ || (question != 0 && !HasQuestion(type_, question))) return {};
    std::vector<GridPosition> cells;
    if (question == 0) {
        for (int n = 1; HasDigit(type_, n); ++n) {
            cells.push_back(type_.DigitCell(n, 0));
            cells.push_back(type_.DigitCell(n, 9));
        }
    } else {
        cells.push_back(type_.OptionCell(question, 1));
        cells.push_back(type_.OptionCell(question, type_.每题选项数));
    }
    QRectF area;
    double margin = 0;
    for (GridPosition cell : cells) {
        QPointF centre;
        if (locator_) {
            Point p = locator_->Centre(cell);
            centre = UprightTransform(orientation_, pixels_.width, pixels_.height).map(QPointF(p.x, p.y));
            margin = 2 * std::max(locator_->CellSize().width, locator_->CellSize().height);
        } else {
            centre = QPointF((cell.column + 0.5) * kScoreCell, (cell.row + 2.5) * kScoreCell);
            margin = 2 * kScoreCell;
        }
        area = area.isNull() ? QRectF(centre, QSizeF(1, 1)) : area.united(QRectF(centre, QSizeF(1, 1)));
    }
    return area.adjusted(-margin, -margin, margin * 2, margin);
}

AnnotatedSheet AnnotateSheet(const SheetReview& sheet, const ResultSet& records, const std::filesystem::path& programFolder) {
    return SheetPicture(sheet, programFolder).Draw(sheet, records);
}

Status WriteAnnotatedPdf(std::size_t count, const std::function<AnnotatedSheet(std::size_t)>& draw, QIODevice& device) {
    QPdfWriter pdf(&device);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(150);
    QPainter p;
    if (!p.begin(&pdf)) return Status::Error(UiText("SheetAnnotation", "无法生成PDF文件"));
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) pdf.newPage();
        QRect page = p.viewport();
        p.drawImage(0, 0, draw(i).image.scaled(page.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    if (!p.end()) return Status::Error(UiText("SheetAnnotation", "无法生成PDF文件"));
    return Status::Ok();
}

}  // namespace quillmark
