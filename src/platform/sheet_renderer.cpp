#include "sheet_renderer.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdlib>
#include <memory>
#include <set>

#include "data/file_io.h"
#include "data/ui_text.h"

namespace quillmark {
namespace {

// Printed light enough (luminance 205 and more) that the engine never takes it for a mark;
// the letters lighter still (about 236), so erasure residue over them stays light too.
const QColor kBubbleInk(250, 185, 195);
const QColor kLetterInk(255, 228, 232);
const QColor kBlack(0, 0, 0);
const QColor kTextGrey(60, 60, 60);

// A printed word in the window's language. A translation may be wider than the Chinese it
// stands for: it is then made smaller to fit its place, so nothing on the sheet moves; the
// Chinese prints as it always has.
struct Words {
    QString text;
    bool translated = false;
    // The width in millimetres the word must keep within: none (0) for the Chinese.
    double Fit(double widthMm) const { return translated ? widthMm : 0; }
};

Words Printed(const char* chinese, const char* context = "PrintedSheet") {
    std::string shown = UiText(context, chinese);
    return {QString::fromStdString(shown), shown != chinese};
}

// Paints one sheet on any device; coordinates in millimetres are turned into device units.
class SheetPainter {
public:
    SheetPainter(QPainter& painter, double dotsPerMm) : p_(painter), scale_(dotsPerMm) {}

    void Paint(const SheetLayout& layout) {
        PaintFrame();
        PaintCodeStrip(layout.entry->code);
        PaintHeader(layout);
        PaintNumberBlock(layout);
        PaintInstructions(layout);
        PaintQuestions(layout);
        PaintCalibrationDots(layout);
    }

private:
    QRectF Rect(double x, double y, double w, double h) const { return QRectF(x * scale_, y * scale_, w * scale_, h * scale_); }
    QRectF Rect(const RectMm& r) const { return Rect(r.x, r.y, r.width, r.height); }

    void Fill(double x, double y, double w, double h, const QColor& colour) {
        p_.fillRect(Rect(x, y, w, h), colour);
    }

    // A rectangular line band of the given thickness inside the outer rectangle.
    void Band(double left, double top, double right, double bottom, double thickness) {
        Fill(left, top, right - left, thickness, kBlack);
        Fill(left, bottom - thickness, right - left, thickness, kBlack);
        Fill(left, top, thickness, bottom - top, kBlack);
        Fill(right - thickness, top, thickness, bottom - top, kBlack);
    }

    void PaintFrame() {
        using namespace page;
        Band(kMargin, kMargin, kWidth - kMargin, kHeight - kMargin, kOuterLine);
        Band(kGridLeft, kGridTop, kGridRight, kGridBottom, kInnerLine);
    }

    void PaintCodeStrip(const std::string& code) {
        using namespace page;
        double bit = kCodeSpan / 10;
        double top = kGridTop + kInnerLine;
        // Runs of dark bits as one rectangle, so no light seam shows between them.
        for (std::size_t b = 0; b < code.size();) {
            if (code[b] != '1') {
                ++b;
                continue;
            }
            std::size_t end = b;
            while (end < code.size() && code[end] == '1') ++end;
            double right = kGridRight - static_cast<double>(b) * bit;
            double left = kGridRight - static_cast<double>(end) * bit;
            Fill(left, top, right - left, kCodeHeight, kBlack);
            b = end;
        }
    }

    // With `fitMm`, the text is made smaller until it is no wider.
    void Text(const RectMm& box, const QString& text, double heightMm, const QColor& colour, int flags,
              bool bold = false, double fitMm = 0) {
        QFont font("Noto Sans CJK SC");
        font.setPixelSize(std::max(1, static_cast<int>(heightMm * scale_)));
        font.setBold(bold);
        const double room = fitMm * scale_;
        for (double wide = 0; fitMm > 0 && font.pixelSize() > 1 &&
                              (wide = QFontMetricsF(font, p_.device()).horizontalAdvance(text)) > room;) {
            int smaller = static_cast<int>(font.pixelSize() * room / wide);
            font.setPixelSize(std::max(1, std::min(font.pixelSize() - 1, smaller)));
        }
        p_.setFont(font);
        p_.setPen(colour);
        p_.drawText(Rect(box), flags, text);
    }

    // Text sits on the middle of grid rows: the calibration dots lie on row boundaries.
    // Row 1 is left to the code strip; the title takes rows 2-3 and the name boxes row 4.
    void PaintHeader(const SheetLayout& layout) {
        RectMm row2 = layout.Cell({1, 2});
        RectMm row4 = layout.Cell({1, 4});
        RectMm title{page::kGridLeft + 3, row2.y + 0.8, 40, row2.height * 2 - 1.6};
        Words heading = Printed(UI_TEXT_NOOP("PrintedSheet", "答 题 卡"));
        Text(title, heading.text, 6.0, kBlack, Qt::AlignLeft | Qt::AlignVCenter, true, heading.Fit(title.width - 2));
        RectMm typeName{title.x + 40, title.y, 40, title.height};
        Words name = Printed(layout.entry->name, "SheetTypes");
        Text(typeName, name.text, 4.2, kTextGrey, Qt::AlignLeft | Qt::AlignVCenter, false, name.Fit(typeName.width));

        double x = page::kGridLeft + 3;
        for (const char* label : {UI_TEXT_NOOP("PrintedSheet", "姓名"), UI_TEXT_NOOP("PrintedSheet", "班级"),
                                  UI_TEXT_NOOP("PrintedSheet", "考场")}) {
            RectMm caption{x, row4.y, 11, row4.height};
            Words words = Printed(label);
            // Clear of the box beside it, which starts 10 mm on.
            Text(caption, words.text, 3.4, kBlack, Qt::AlignLeft | Qt::AlignVCenter, false, words.Fit(8.5));
            RectMm box{x + 10, row4.y + 0.9, 36, row4.height - 1.8};
            p_.setPen(QPen(kTextGrey, 0.25 * scale_));
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(Rect(box));
            x += 52;
        }
    }

    void Bubble(const RectMm& cell, const QString& letter) {
        RectMm ring{cell.centreX() - cell.width * 0.36, cell.centreY() - cell.height * 0.3, cell.width * 0.72,
                    cell.height * 0.6};
        p_.setPen(QPen(kBubbleInk, 0.3 * scale_));
        p_.setBrush(Qt::NoBrush);
        p_.drawEllipse(Rect(ring));
        Text(ring, letter, ring.height * 0.78, kLetterInk, Qt::AlignCenter);
    }

    void PaintNumberBlock(const SheetLayout& layout) {
        RectMm label = layout.Cell({SheetLayout::kFirstReadColumn - 1, SheetLayout::kFirstDigitRow - 1});
        Words number = Printed(UI_TEXT_NOOP("PrintedSheet", "考号"));
        Text(label, number.text, label.height * 0.45, kBlack, Qt::AlignCenter, true, number.Fit(label.width));
        for (int n = 1; n <= SheetLayout::kDigits; ++n) {
            RectMm box = layout.Cell({layout.DigitCell(n, 0).column, SheetLayout::kFirstDigitRow - 1});
            p_.setPen(QPen(kTextGrey, 0.25 * scale_));
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(Rect(box.x + box.width * 0.1, box.y + box.height * 0.1, box.width * 0.8, box.height * 0.8));
            for (int v = 0; v <= 9; ++v) Bubble(layout.Cell(layout.DigitCell(n, v)), QString::number(v));
        }
        // The values beside the bubbles too, where they print dark enough to be read easily:
        // the column before the number block holds no read cell.
        for (int v = 0; v <= 9; ++v) {
            RectMm cell = layout.Cell({SheetLayout::kFirstReadColumn - 1, SheetLayout::kFirstDigitRow + v});
            Text(cell, QString::number(v), cell.height * 0.5, kTextGrey, Qt::AlignCenter);
        }
    }

    void PaintInstructions(const SheetLayout& layout) {
        RectMm topLeft = layout.Cell({SheetLayout::kFirstReadColumn + SheetLayout::kDigits + 1, SheetLayout::kFirstDigitRow - 1});
        RectMm bottomRight = layout.Cell({layout.across - 2, SheetLayout::kFirstDigitRow + 9});
        RectMm box{topLeft.x, topLeft.y, bottomRight.x + bottomRight.width - topLeft.x,
                   bottomRight.y + bottomRight.height - topLeft.y};
        p_.setPen(QPen(kTextGrey, 0.25 * scale_));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(Rect(box));
        const char* lines[] = {
            UI_TEXT_NOOP("PrintedSheet", "注意事项"),
            UI_TEXT_NOOP("PrintedSheet", "1. 请用2B铅笔填涂，把所选选项的圆圈涂满、涂黑。"),
            UI_TEXT_NOOP("PrintedSheet", "2. 修改时用橡皮擦干净，不要留下痕迹。"),
            UI_TEXT_NOOP("PrintedSheet", "3. 先在方框内写好考号，再涂考号下面对应的数字。"),
            UI_TEXT_NOOP("PrintedSheet", "4. 保持答题卡整洁，不要折叠、弄破或弄脏。"),
            UI_TEXT_NOOP("PrintedSheet", "5. 一题的全部选项都涂黑时，该题按未作答处理。"),
        };
        for (int i = 0; i < 6; ++i) {
            RectMm row = layout.Cell({SheetLayout::kFirstReadColumn + SheetLayout::kDigits + 1, SheetLayout::kFirstDigitRow + i});
            RectMm line{box.x + 3, row.y, box.width - 6, row.height};
            Words words = Printed(lines[i]);
            Text(line, words.text, row.height * (i == 0 ? 0.6 : 0.5), kBlack, Qt::AlignLeft | Qt::AlignVCenter, i == 0,
                 words.Fit(line.width));
        }
    }

    void PaintQuestions(const SheetLayout& layout) {
        static const char* kLetters[] = {"A", "B", "C", "D", "E"};
        for (int q = 1; q <= layout.questions; ++q) {
            RectMm label = layout.Cell(layout.LabelCell(q));
            Text(label, QString::number(q), std::min(label.height, label.width) * 0.5, kBlack,
                 layout.answersDown ? Qt::AlignCenter : (Qt::AlignRight | Qt::AlignVCenter));
            for (int k = 1; k <= layout.options; ++k) Bubble(layout.Cell(layout.OptionCell(q, k)), kLetters[k - 1]);
        }
        PaintOptionHeadings(layout, kLetters);
    }

    // The option letters once more, dark, beside each block of questions: above the first
    // row of a block, or left of the first question of a group. Those cells are never read.
    void PaintOptionHeadings(const SheetLayout& layout, const char* const* letters) {
        std::set<std::pair<int, int>> starts;
        for (const GridPosition& start : layout.questionStarts) starts.insert({start.column, start.row});
        for (int q = 1; q <= layout.questions; ++q) {
            GridPosition start = layout.questionStarts[static_cast<std::size_t>(q - 1)];
            bool firstOfBlock = layout.answersDown ? starts.count({start.column - 1, start.row}) == 0
                                                   : starts.count({start.column, start.row - 1}) == 0;
            if (!firstOfBlock) continue;
            for (int k = 1; k <= layout.options; ++k) {
                GridPosition option = layout.OptionCell(q, k);
                RectMm cell = layout.answersDown ? layout.Cell({option.column - 1, option.row})
                                                 : layout.Cell({option.column, option.row - 1});
                Text(cell, letters[k - 1], std::min(cell.width, cell.height) * 0.45, kTextGrey, Qt::AlignCenter);
            }
        }
    }

    // A small solid dot on the corner of every calibration cell that points into the grid,
    // so that every calibration window holds dark print.
    void PaintCalibrationDots(const SheetLayout& layout) {
        for (GridPosition cell : layout.CalibrationCells()) {
            RectMm r = layout.Cell(cell);
            double size = 0.2 * std::min(r.width, r.height);
            double x = cell.column <= layout.across / 2 ? r.x + r.width : r.x;
            double y = cell.row <= layout.down / 2 ? r.y + r.height : r.y;
            Fill(x - size / 2, y - size / 2, size, size, kBlack);
        }
    }

    QPainter& p_;
    double scale_;
};

bool CanPaint() { return QGuiApplication::instance() != nullptr; }

constexpr char kNoApplicationMessage[] = UI_TEXT_NOOP("BlankSheets", "无法绘制答题卡：程序没有创建图形环境。");

}  // namespace

QImage RenderBlankSheet(const SheetLayout& layout, double dpi) {
    if (!CanPaint()) return QImage();
    double dotsPerMm = dpi / 25.4;
    QImage image(static_cast<int>(std::lround(page::kWidth * dotsPerMm)),
                 static_cast<int>(std::lround(page::kHeight * dotsPerMm)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    SheetPainter(painter, dotsPerMm).Paint(layout);
    painter.end();
    return image;
}

Status WriteBlankSheetsPdf(const std::vector<SheetLayout>& layouts, const std::filesystem::path& path) {
    if (!CanPaint()) return Status::Error(UiText("BlankSheets", kNoApplicationMessage));
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(1200);
        writer.setTitle(QString::fromStdString(UiText("PrintedSheet", "Quillmark 答题卡")));
        writer.setCreator("Quillmark");
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        for (std::size_t i = 0; i < layouts.size(); ++i) {
            if (i > 0) writer.newPage();
            SheetPainter(painter, 1200 / 25.4).Paint(layouts[i]);
        }
        painter.end();
    }
    return WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

Status WriteBlankSheetPng(const SheetLayout& layout, double dpi, const std::filesystem::path& path) {
    if (!CanPaint()) return Status::Error(UiText("BlankSheets", kNoApplicationMessage));
    QImage image = RenderBlankSheet(layout, dpi);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return Status::Error(FillForm(UiText("BlankSheets", "无法生成图像文件“%1”。"), {DisplayPath(path)}));
    }
    return WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace quillmark
