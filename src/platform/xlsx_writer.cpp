#include "xlsx_writer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include "data/file_io.h"
#include "data/system_error_text.h"
#include "data/ui_text.h"

namespace quillmark {
namespace {

constexpr char kDistributionSheet[] = "成绩分布";
constexpr int kFirstDataRow = 6;

Status Failure(const std::filesystem::path& path, const std::string& reason) {
    return Status::Error(FillForm(UiText("XlsxWriter", "无法保存文件“%1”：%2。"), {DisplayPath(path), reason}));
}

// The library's own texts are English.
std::string ErrorText(lxw_error error) {
    switch (error) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED: return UiText("XlsxWriter", "内存不足");
        case LXW_ERROR_CREATING_XLSX_FILE: return UiText("XlsxWriter", "无法创建文件");
        case LXW_ERROR_CREATING_TMPFILE: return UiText("XlsxWriter", "无法创建临时文件");
        case LXW_ERROR_READING_TMPFILE: return UiText("XlsxWriter", "无法读取临时文件");
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_PARAMETER_ERROR:
        case LXW_ERROR_ZIP_BAD_ZIP_FILE:
        case LXW_ERROR_ZIP_INTERNAL_ERROR:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE: return UiText("XlsxWriter", "写入工作簿文件时出错");
        case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED: return UiText("XlsxWriter", "工作表名超过31个字符");
        case LXW_ERROR_INVALID_SHEETNAME_CHARACTER: return UiText("XlsxWriter", "工作表名含有不能使用的字符");
        case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE: return UiText("XlsxWriter", "工作表名不能以单引号开头或结尾");
        case LXW_ERROR_SHEETNAME_ALREADY_USED: return UiText("XlsxWriter", "工作表名重复");
        case LXW_ERROR_32_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_128_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_255_STRING_LENGTH_EXCEEDED: return UiText("XlsxWriter", "名称太长");
        case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return UiText("XlsxWriter", "单元格的文字超过32767个字符");
        case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE: return UiText("XlsxWriter", "行或列超出工作表的范围");
        default: return FillForm(UiText("XlsxWriter", "工作簿出错（代码 %1）"), {std::to_string(static_cast<int>(error))});
    }
}

// Fills the open workbook; the first failure's reason, or empty.
std::string Fill(lxw_workbook* book, const ResultsWorkbook& workbook) {
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    for (const Worksheet& sheet : workbook.sheets) {
        if (lxw_error error = workbook_validate_sheet_name(book, sheet.name.c_str()); error != LXW_NO_ERROR)
            return FillForm(UiText("XlsxWriter", "工作表名“%1”不能使用：%2"), {sheet.name, ErrorText(error)});
        lxw_worksheet* ws = workbook_add_worksheet(book, sheet.name.c_str());
        if (!ws) return FillForm(UiText("XlsxWriter", "无法添加工作表“%1”"), {sheet.name});
        for (std::size_t c = 0; c < sheet.columnWidths.size(); ++c) {
            auto column = static_cast<lxw_col_t>(c);
            worksheet_set_column(ws, column, column, sheet.columnWidths[c], nullptr);
        }
        const bool distribution = sheet.name == kDistributionSheet;
        const auto& counts = workbook.distribution.counts;
        // Constant-memory mode writes each row out as soon as a later row begins, so cells
        // must come row by row.
        std::vector<const WorkbookCell*> ordered;
        ordered.reserve(sheet.cells.size());
        for (const WorkbookCell& cell : sheet.cells) ordered.push_back(&cell);
        std::stable_sort(ordered.begin(), ordered.end(), [](const WorkbookCell* a, const WorkbookCell* b) {
            return a->row != b->row ? a->row < b->row : a->column < b->column;
        });
        for (const WorkbookCell* cellPointer : ordered) {
            const WorkbookCell& cell = *cellPointer;
            if (cell.row < 1 || cell.column < 1) return UiText("XlsxWriter", "单元格位置无效");
            auto row = static_cast<lxw_row_t>(cell.row - 1);
            auto column = static_cast<lxw_col_t>(cell.column - 1);
            lxw_format* format = cell.heading ? bold : nullptr;
            lxw_error error = cell.number ? worksheet_write_number(ws, row, column, *cell.number, format)
                                          : worksheet_write_string(ws, row, column, cell.text.c_str(), format);
            if (error != LXW_NO_ERROR) {
                return FillForm(UiText("XlsxWriter", "工作表“%1”第%2行第%3列：%4"),
                                {sheet.name, std::to_string(cell.row), std::to_string(cell.column), ErrorText(error)});
            }
        }
        if (distribution && !counts.empty()) {
            lxw_chart* chart = workbook_add_chart(book, LXW_CHART_COLUMN);
            lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
            auto first = static_cast<lxw_row_t>(kFirstDataRow - 1);
            auto last = static_cast<lxw_row_t>(first + counts.size() - 1);
            chart_series_set_categories(series, sheet.name.c_str(), first, 0, last, 0);
            chart_series_set_values(series, sheet.name.c_str(), first, 1, last, 1);
            chart_series_set_name(series, "人数");
            chart_title_set_name(chart, kDistributionSheet);
            chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
            lxw_error error = worksheet_insert_chart(ws, first - 1, 3, chart);
            if (error != LXW_NO_ERROR) return UiText("XlsxWriter", "无法插入图表：") + ErrorText(error);
        }
    }
    return {};
}

}  // namespace

Status WriteResultsWorkbook(const ResultsWorkbook& workbook, const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string temp = (folder / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
    int fd = mkstemp(temp.data());
    if (fd < 0) return Failure(path, SystemErrorText(errno));
    ::close(fd);

    // Rows go to a temporary file in the target's folder as they are written, so a roster
    // of 32,667 examinees by 200 questions does not sit in memory twice.
    std::string tmpdir = folder.string();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    lxw_workbook* book = workbook_new_opt(temp.c_str(), &options);
    if (!book) {
        ::unlink(temp.c_str());
        return Failure(path, UiText("XlsxWriter", "无法创建工作簿"));
    }
    std::string reason = Fill(book, workbook);
    lxw_error closed = workbook_close(book);  // frees the workbook even after a failure
    if (reason.empty() && closed != LXW_NO_ERROR) reason = ErrorText(closed);

    if (reason.empty()) {
        // libxlsxwriter closes its file without syncing; make the contents durable first.
        int written = ::open(temp.c_str(), O_RDONLY);
        if (written < 0 || ::fsync(written) != 0) reason = SystemErrorText(errno);
        if (written >= 0) ::close(written);
    }
    if (reason.empty()) {
        struct stat existing {};
        ::chmod(temp.c_str(), ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
        if (::rename(temp.c_str(), path.c_str()) != 0) reason = SystemErrorText(errno);
        else if (int error = SyncFolder(folder); error != 0) return Failure(path, SystemErrorText(error));
    }
    if (!reason.empty()) {
        ::unlink(temp.c_str());
        return Failure(path, reason);
    }
    return Status::Ok();
}

}  // namespace quillmark
