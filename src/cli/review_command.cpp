#include "review_command.h"

#include <nlohmann/json.hpp>

#include "data/text_fns.h"
#include "platform/sheet_annotation.h"
#include "results/review_queue.h"
#include "stats_command.h"

namespace quillmark::cli {
namespace {

std::string SheetName(const SheetReview& sheet) {
    return sheet.page > 1 ? sheet.file + "#" + std::to_string(sheet.page) : sheet.file;
}

Status Decide(const ReviewOptions& options, ResultSet& records) {
    const std::string examinee = options.examinee.value_or("");
    if (options.accept) {
        for (const ReviewItem& item : PendingReviewItems(records)) {
            if (options.examinee && item.examinee != examinee) continue;
            Status status = item.question == 0 ? AcceptNumber(records, item.examinee)
                                               : DecideAnswer(records, item.examinee, item.question, item.current);
            if (!status.ok()) return status;
        }
    }
    for (const std::string& setting : options.settings) {
        std::size_t equals = setting.find('=');
        if (equals == std::string::npos || equals == 0) return Status::Error("--set 应为 题号=答案，例如 12=13: " + setting);
        int question = std::atoi(setting.substr(0, equals).c_str());
        Status status = DecideAnswer(records, examinee, question, setting.substr(equals + 1));
        if (!status.ok()) return status;
    }
    if (options.number) return CorrectNumber(records, examinee, *options.number);
    return Status::Ok();
}

}  // namespace

int RunReview(const ReviewOptions& options, std::ostream& out, std::ostream& err) {
    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(options.programFolder, options.results, records, page, err)) return 1;
    if ((!options.settings.empty() || options.number) && !options.examinee) {
        err << "--set 和 --number 需要 --examinee\n";
        return 2;
    }
    bool changing = options.accept || !options.settings.empty() || options.number;
    if (changing) {
        if (Status status = Decide(options, records); !status.ok()) {
            err << status.message() << "\n";
            return 1;
        }
        page.Analyse(records);  // ranks and rates follow the new scores
        if (Status status = SaveResultSet(options.programFolder, ResultSetNameFromEntry(options.results), records);
            !status.ok()) {
            err << status.message() << "\n";
            return 1;
        }
    }
    for (const ReviewItem& item : PendingReviewItems(records)) {
        if (options.examinee && item.examinee != *options.examinee) continue;
        const SheetReview* sheet = records.review.Find(item.examinee);
        out << nlohmann::json{{"sheet", sheet ? SheetName(*sheet) : ""}, {"examinee", item.examinee},
                              {"question", item.question},   {"reading", item.reading},
                              {"current", item.current},     {"scores", item.scores},
                              {"why", item.why}}
                   .dump()
            << "\n";
    }
    return 0;
}

int RunAnnotate(const std::filesystem::path& programFolder, const std::string& results,
                const std::optional<std::string>& examinee, const std::filesystem::path& out, std::ostream& err) {
    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(programFolder, results, records, page, err)) return 1;
    std::vector<AnnotatedSheet> sheets;
    std::vector<std::string> names;
    for (const SheetReview& sheet : records.review.sheets) {
        if (examinee && sheet.examinee != *examinee) continue;
        sheets.push_back(AnnotateSheet(sheet, records, programFolder));
        names.push_back(sheet.examinee);
        if (!sheets.back().note.empty()) err << sheets.back().note << "\n";
    }
    if (sheets.empty()) {
        err << (examinee ? "成绩中没有考号“" + *examinee + "”的阅卷记录" : std::string("成绩中没有阅卷记录（可能由旧版本保存）")) << "\n";
        return 1;
    }
    bool pdf = EqualsIgnoringCase(out.extension().string(), ".pdf");
    Status status = pdf ? WriteAnnotatedPdf(sheets, out) : WriteAnnotatedPngs(sheets, names, out);
    if (!status.ok()) {
        err << status.message() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace quillmark::cli
