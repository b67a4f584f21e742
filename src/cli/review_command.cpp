#include "review_command.h"

#include <QBuffer>
#include <QImageWriter>
#include <functional>
#include <nlohmann/json.hpp>

#include "data/file_io.h"
#include "data/text_fns.h"
#include "output_file.h"
#include "platform/sheet_annotation.h"
#include "results/review_queue.h"
#include "stats_command.h"

namespace quillmark::cli {
namespace {

std::string SheetName(const SheetReview& sheet) {
    return sheet.page > 1 ? sheet.file + "#" + std::to_string(sheet.page) : sheet.file;
}

// Records that cannot be used are told once and left out; the others go on.
void ReportUnusable(const ResultSet& records, std::ostream& err) {
    if (!records.reviewProblem.ok()) err << records.reviewProblem.message() << "\n";
    std::vector<std::string> problems = ReviewRecordProblems(records);
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (!problems[i].empty()) err << SkippedRecordMessage(records, i, problems[i]) << "\n";
    }
}

// Accepting keeps going past a reading that cannot be kept; what was asked for by question
// or number must hold, or nothing is saved.
Status Decide(const ReviewOptions& options, ResultSet& records, std::ostream& err) {
    const std::string examinee = options.examinee.value_or("");
    if (options.accept) {
        for (const ReviewItem& item : PendingReviewItems(records)) {
            if (options.examinee && item.examinee != examinee) continue;
            Status status = item.question == 0 ? AcceptNumber(records, item.examinee)
                                               : DecideAnswer(records, item.examinee, item.question, item.current);
            if (!status.ok()) {
                err << "考号" << item.examinee << "第" << item.question << "题未能保留：" << status.message() << "\n";
            }
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

Status EncodePng(const QImage& image, const std::filesystem::path& target, std::string& bytes) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (image.isNull() || !writer.write(image)) return Status::Error("无法生成图像“" + DisplayPath(target) + "”");
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return Status::Ok();
}

// The sheets drawn one at a time, so a class never sits in memory as pictures.
using DrawSheet = std::function<AnnotatedSheet(std::size_t)>;

// The pages made in memory, so the file is written whole or not at all.
Status RenderPdf(std::size_t count, const DrawSheet& draw, const std::filesystem::path& target, std::string& bytes) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!WriteAnnotatedPdf(count, draw, buffer).ok()) return Status::Error("无法生成文件“" + DisplayPath(target) + "”");
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return Status::Ok();
}

}  // namespace

int RunReview(const ReviewOptions& options, std::ostream& out, std::ostream& err) {
    if ((!options.settings.empty() || options.number) && !options.examinee) {
        err << "--set 和 --number 需要 --examinee\n";
        return 2;
    }
    ResultSet records;
    ResultsPage page;
    bool changing = options.accept || !options.settings.empty() || options.number;
    if (changing) {
        if (!ResultSetExists(options.programFolder, options.results)) {
            err << "找不到成绩文件: " << options.results << "\n";
            return 1;
        }
        // Read, decided and saved under the folder's lock: a decision taken meanwhile is not lost.
        Status status = UpdateResultSet(options.programFolder, options.results, records, [&](ResultSet& opened) {
            ReportUnusable(opened, err);
            Status decided = Decide(options, opened, err);
            if (decided.ok()) page.Analyse(opened);  // ranks and rates follow the new scores
            return decided;
        });
        if (!status.ok()) {
            err << status.message() << "\n";
            return 1;
        }
    } else {
        if (!OpenAnalysed(options.programFolder, options.results, records, page, err)) return 1;
        ReportUnusable(records, err);
    }
    for (const ReviewItem& item : PendingReviewItems(records)) {
        if (options.examinee && item.examinee != *options.examinee) continue;
        const SheetReview* sheet = records.review.Find(item.examinee);
        out << nlohmann::json{{"sheet", sheet ? SheetName(*sheet) : ""}, {"examinee", item.examinee},
                              {"question", item.question},   {"reading", item.reading},
                              {"current", item.current},     {"scores", item.scores},
                              {"why", item.why}}
                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
            << "\n";
    }
    return 0;
}

int RunAnnotate(const AnnotateOptions& options, std::ostream& err) {
    ResultSet records;
    ResultsPage page;
    if (!OpenAnalysed(options.programFolder, options.results, records, page, err)) return 1;
    if (!records.reviewProblem.ok()) err << records.reviewProblem.message() << "\n";
    // File names come from checked numbers only, never from the review file as it stands.
    std::vector<std::string> problems = ReviewRecordProblems(records);
    std::vector<const SheetReview*> chosen;
    for (std::size_t i = 0; i < records.review.sheets.size(); ++i) {
        const SheetReview& sheet = records.review.sheets[i];
        if (options.examinee && sheet.examinee != *options.examinee) continue;
        if (!problems[i].empty()) {
            err << SkippedRecordMessage(records, i, problems[i]) << "\n";
            continue;
        }
        chosen.push_back(&sheet);
    }
    if (chosen.empty()) {
        err << (options.examinee ? "成绩中没有考号“" + *options.examinee + "”的阅卷记录"
                                 : std::string("成绩中没有阅卷记录（可能由旧版本保存）"))
            << "\n";
        return 1;
    }
    DrawSheet draw = [&](std::size_t i) {
        AnnotatedSheet drawn = AnnotateSheet(*chosen[i], records, options.programFolder);
        if (!drawn.note.empty()) err << drawn.note << "\n";
        return drawn;
    };

    const std::filesystem::path& out = options.out;
    std::string bytes;
    if (EqualsIgnoringCase(out.extension().string(), ".pdf")) {
        if (Status refusal = OutputRefusal(out, options.overwrite); !refusal.ok()) {
            err << refusal.message() << "\n";
            return 1;
        }
        Status status = RenderPdf(chosen.size(), draw, out, bytes);
        if (status.ok()) status = WriteOutputFile(out, bytes, options.overwrite);
        if (!status.ok()) {
            err << status.message() << "\n";
            return 1;
        }
        return 0;
    }

    std::error_code ec;
    if (!std::filesystem::is_directory(out, ec)) {
        std::filesystem::create_directories(out, ec);
        if (ec || !std::filesystem::is_directory(out)) {
            err << "无法建立文件夹“" << DisplayPath(out) << "”\n";
            return 1;
        }
    }
    // Every name is checked before the first is drawn, so a refusal leaves the folder as it was.
    for (const SheetReview* sheet : chosen) {
        if (Status refusal = OutputRefusal(out / (sheet->examinee + ".png"), options.overwrite); !refusal.ok()) {
            err << refusal.message() << "\n";
            return 1;
        }
    }
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        std::filesystem::path target = out / (chosen[i]->examinee + ".png");
        Status status = EncodePng(draw(i).image, target, bytes);
        if (status.ok()) status = WriteOutputFile(target, bytes, options.overwrite);
        if (!status.ok()) {
            err << status.message() << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace quillmark::cli
