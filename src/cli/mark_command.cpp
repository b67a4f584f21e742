#include "mark_command.h"

#include <iostream>
#include <map>
#include <thread>

#include "data/program_paths.h"
#include "data/save_as_name.h"
#include "data/text_codec.h"
#include "data/text_fns.h"
#include "engine/recognition_settings.h"
#include "marking/installed_sheet_types.h"
#include "marking/marking_run.h"
#include "marking/sheet_type_table.h"
#include "results/results_page.h"
#include "app/session.h"

namespace quillmark::cli {
namespace {

// Answers the marking dialogs from the policy flags, or on the terminal.
class TerminalMarkingUi : public MarkingUi {
public:
    TerminalMarkingUi(const MarkOptions& options, std::istream& in, std::ostream& err)
        : options_(options), in_(in), err_(err) {}

    void ShowMessage(const std::string& text) override { err_ << text << "\n"; }

    std::string ChooseSheetType() override {
        if (options_.onUnknownType) return *options_.onUnknownType == "skip" ? "" : *options_.onUnknownType;
        if (!options_.interactive) return "";
        err_ << "系统无法正确识别当前答题卡的类型。请选择类型（编号），直接回车重新输入答题卡图像：\n";
        for (std::size_t i = 0; i < kSheetTypes.size(); ++i) err_ << "  " << i + 1 << ". " << kSheetTypes[i].caption << "\n";
        std::string line;
        if (!std::getline(in_, line)) return "";
        int choice = std::atoi(TrimSpaces(line).c_str());
        if (choice < 1 || choice > static_cast<int>(kSheetTypes.size())) return "";
        return kSheetTypes[static_cast<std::size_t>(choice - 1)].code;
    }

    std::string ChooseExamineeNumber(const Roster&, const NumberReading& read) override {
        // "add" records a sheet only under a complete number it read: a partial one could
        // share a row with another sheet's.
        if (options_.onUnknownNumber) return *options_.onUnknownNumber == "add" && read.complete ? read.digits : "";
        if (!options_.interactive) return "";
        err_ << "系统无法正确识别当前答题卡的考号（读到“" << read.digits << "”）。请输入正确的考号，直接回车重新输入答题卡图像：";
        std::string line;
        if (!std::getline(in_, line)) return "";
        return TrimSpaces(line);
    }

private:
    const MarkOptions& options_;
    std::istream& in_;
    std::ostream& err_;
};

// Questions, digits and sheet findings a person should look at.
std::size_t DoubtCount(const ReadingDoubts& doubts) {
    return doubts.questions.size() + doubts.digits.size() + doubts.sheet.size();
}

void DrawProgress(std::ostream& err, std::size_t done, std::size_t total) {
    constexpr int kWidth = 30;
    int filled = total == 0 ? kWidth : static_cast<int>(kWidth * done / total);
    err << "\r[" << std::string(static_cast<std::size_t>(filled), '#') << std::string(static_cast<std::size_t>(kWidth - filled), '.')
        << "] " << done << "/" << total << std::flush;
    if (done == total) err << "\n";
}

}  // namespace

// Everything that can be known before the first sheet is checked then, so a bad name or
// file never throws a batch's marking away. The paper and roster are chosen as on the
// window's first two pages.
Status CheckBeforeMarking(const MarkOptions& options, Session& session) {
    for (const auto& [flag, name] : {std::pair<const char*, std::string>{"--paper", options.paper}, {"--roster", options.roster}}) {
        if (!IsPlainFileName(name)) return Status::Error(std::string(flag) + " 必须是数据文件夹中的文件名: " + name);
    }
    std::filesystem::path paperPath = ResolvePath(options.programFolder, "\\ShiJuan\\" + TrimSpaces(options.paper));
    std::filesystem::path rosterPath = ResolvePath(options.programFolder, "\\MingCe\\" + TrimSpaces(options.roster));
    session.FillFileLists();
    if (!session.Paper().ChooseByName(options.paper)) return Status::Error("找不到试卷文件: " + paperPath.string());
    if (!session.Roster().ChooseByName(options.roster)) {
        // A roster that is listed but refused has had its reason told through the prompt.
        std::error_code ec;
        if (std::filesystem::is_regular_file(rosterPath, ec)) return Status::Error("名册无法使用: " + rosterPath.string());
        return Status::Error("找不到名册文件: " + rosterPath.string());
    }
    if (options.onUnknownType && *options.onUnknownType != "skip" && !FindSheetType(*options.onUnknownType)) {
        return Status::Error("--on-unknown-type 必须是 skip 或答题卡类型编码: " + *options.onUnknownType);
    }
    if (options.fixedType) {
        const SheetTypeDefinition* fixed = LoadInstalledSheetTypes(options.programFolder).Find(*options.fixedType);
        if (!fixed) return Status::Error("--fixed-type: 找不到答题卡类型定义 " + *options.fixedType);
        if (!fixed->problem.ok()) return Status::Error("--fixed-type " + *options.fixedType + ": " + fixed->problem.message());
    }

    const ResultSet& records = session.Records();
    if (records.paper.总题数 <= 0) return Status::Error("试卷没有试题: " + paperPath.string());
    // A roster whose text cannot be written back would fail the save after the whole batch.
    std::string text;
    if (Status status = SerializeRoster(records.roster, text); !status.ok()) {
        return Status::Error("名册无法使用: " + rosterPath.string() + ": " + status.message());
    }
    if (GbkEncoding encoded = EncodeGbk(text); !encoded.ok()) {
        return Status::Error("名册含有无法识别的字符“" + encoded.unencodable + "”，成绩将无法保存: " + rosterPath.string());
    }
    return Status::Ok();
}

// Where the results will be saved, asked before marking; nothing (after a message, with the
// exit status in `refused`) when the name is no name (2) or is taken (1).
std::optional<SaveTarget> CheckSaveTarget(const MarkOptions& options, std::ostream& err, int& refused) {
    // A set's name has no extension: "." and ":" are refused as the window refuses them.
    const std::string& name = *options.save;
    if (!IsPlainFileName(name) || TrimSpaces(name).find_first_of(".:") != std::string::npos) {
        err << "--save 必须是成绩文件夹中的文件名（不带后缀）: \"" << name << "\"\n";
        refused = 2;
        return std::nullopt;
    }
    FixedNamePrompt prompt(name, options.overwrite, err);
    std::optional<SaveTarget> target = SaveAsName(SaveKind::Results, options.programFolder, prompt);
    if (!target) refused = 1;
    return target;
}

namespace {

// The name was free before the first sheet, but another run may have saved under it since: that
// set is kept, and these results go under a free name rather than being lost.
int SaveMarked(const MarkOptions& options, const std::string& name, const ResultSet& records, std::ostream& out,
               std::ostream& err) {
    std::string savedAs = name;
    Status status = options.overwrite ? SaveResultSet(options.programFolder, name, records)
                                      : SaveNewResultSet(options.programFolder, name, records, savedAs);
    if (!status.ok()) {
        err << status.message() << "\n";
        return 1;
    }
    if (savedAs != name) {
        err << "成绩“" << name << "”在阅卷期间已由别处保存，未覆盖；本次的成绩已另存为“" << savedAs << "”\n";
        return 1;
    }
    out << kResultsSavedMessage << "\n";
    return 0;
}

}  // namespace

int RunMark(const MarkOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    FixedNamePrompt prompt(options.save.value_or(""), options.overwrite, err);
    Session session(options.programFolder, prompt);
    ResultSet& records = session.Records();
    if (Status status = CheckBeforeMarking(options, session); !status.ok()) {
        err << status.message() << "\n";
        return 2;
    }
    std::optional<SaveTarget> saveTarget;
    if (options.save) {
        int refused = 1;
        saveTarget = CheckSaveTarget(options, err, refused);
        if (!saveTarget) return refused;
    }

    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const std::string& path : options.paths) {
        if (std::filesystem::is_directory(path, ec)) {
            for (auto& file : BatchFiles(path)) files.push_back(file);
        } else {
            files.emplace_back(path);
        }
    }

    TerminalMarkingUi ui(options, in, err);
    if (options.fixedType) {
        session.Marking().fixedTypeEnabled = true;
        session.Marking().fixedTypeCode = *options.fixedType;
    }
    session.Marking().checkExamineeNumber = options.checkNumber;
    session.Marking().onDuplicate = !options.onDuplicate             ? DuplicatePolicy::Refuse
                                    : *options.onDuplicate == "keep" ? DuplicatePolicy::Keep
                                                                     : DuplicatePolicy::Replace;
    MarkingContext context = session.NewMarkingContext(ui);
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    context.threads = options.threads > 0 ? options.threads : static_cast<int>(cores);

    std::size_t done = 0, marked = 0, doubtfulSheets = 0, doubtfulItems = 0, replaced = 0, kept = 0;
    std::map<std::string, int> failures;
    // Every page of a file of several pages is a sheet of its own, "FILE#N".
    const std::vector<SheetSource> sheets = SheetsOf(files, context.countPages);
    context.onSheet = [&](const SheetSource& sheet, const SheetOutcome& outcome) {
        ++done;
        if (options.progress) err << "\r" << std::string(50, ' ') << "\r";
        if (outcome.kind == SheetOutcome::Unreadable) err << outcome.status.message() << "\n";
        std::string status = OutcomeText(outcome);
        out << sheet.Name() << "\t" << status << "\t" << outcome.examineeNumber << "\t" << TrimSpaces(outcome.score);
        if (outcome.kind == SheetOutcome::DuplicateKept && options.onDuplicate) {
            ++kept;  // asked for: not a failure
        } else if (outcome.kind == SheetOutcome::Marked) {
            ++marked;
            replaced += outcome.replacedEarlier ? 1 : 0;
            std::size_t doubts = DoubtCount(outcome.doubts);
            out << "\t" << doubts;
            doubtfulSheets += doubts > 0 ? 1 : 0;
            doubtfulItems += doubts;
        } else if (outcome.kind == SheetOutcome::DuplicateKept) {
            ++failures["考号已有成绩，未记录（--on-duplicate replace 替换，keep 保留先前的）"];
        } else if (outcome.kind == SheetOutcome::Unreadable) {
            ++failures["无法读取图像"];
        } else {
            ++failures[status];
        }
        out << "\n";
        out.flush();
        if (options.progress) DrawProgress(err, done, sheets.size());
    };
    SheetRun(std::make_unique<FileFeed>(sheets, context.load), context).RunToEnd();

    out << "共 " << sheets.size() << " 张，已阅 " << marked << " 张，失败 " << sheets.size() - marked - kept << " 张\n";
    if (replaced > 0) out << "  替换了已有成绩: " << replaced << "\n";
    if (kept > 0) out << "  考号重复，保留了先前的成绩: " << kept << "\n";
    for (const auto& [reason, count] : failures) out << "  " << reason << ": " << count << "\n";
    if (doubtfulSheets > 0) out << "存疑 " << doubtfulSheets << " 张，共 " << doubtfulItems << " 处，请人工核对\n";

    if (!saveTarget) return 0;
    session.Results().Analyse(records);
    return SaveMarked(options, saveTarget->name, records, out, err);
}

}  // namespace quillmark::cli
