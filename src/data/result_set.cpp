#include "result_set.h"

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <unistd.h>

#include "file_io.h"
#include "folder_commit.h"
#include "program_paths.h"
#include "system_error_text.h"
#include "text_fns.h"
#include "ui_text.h"

namespace quillmark {
namespace {

std::filesystem::path ResultsFolder(const std::filesystem::path& programFolder) {
    return ResolvePath(programFolder, "ChengJi");
}

// Spellings as saving and opening use them; an existing file of another letter case is the same file.
std::filesystem::path SetFile(const std::filesystem::path& programFolder, std::string_view name,
                              const char* extension) {
    return ResolvePath(programFolder, "\\ChengJi\\" + std::string(name) + extension);
}

bool SetExists(const std::filesystem::path& programFolder, std::string_view name) {
    std::error_code ec;
    for (const char* extension : {".TXT", ".CHO", ".DAN", kReviewFileExtension}) {
        if (std::filesystem::exists(SetFile(programFolder, name, extension), ec)) return true;
    }
    return false;
}

Status CheckSetName(const std::filesystem::path& programFolder, std::string_view name) {
    if (name.find_first_of(std::string_view("/\\\n\r\0", 5)) != std::string_view::npos) {
        return SaveFailure(ResultsFolder(programFolder) / (std::string(name) + ".txt"), EINVAL);
    }
    if (int error = MakeFolder(ResultsFolder(programFolder))) {
        return SaveFailure(ResultsFolder(programFolder) / (std::string(name) + ".txt"), error);
    }
    return Status::Ok();
}

// The whole file when it holds at most `limit` bytes; otherwise the errno (EFBIG when larger).
int ReadLimitedFile(const std::filesystem::path& path, std::uintmax_t limit, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return errno != 0 ? errno : EIO;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return EIO;
    if (static_cast<std::uintmax_t>(size) > limit) return EFBIG;
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(bytes.data(), size);
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return in.bad() ? EIO : 0;
}

// The review file into `opened`; what kept it out into `reviewProblem`.
void ReadReview(const std::filesystem::path& path, ResultSet& opened) {
    opened.review = ReviewLog();
    opened.reviewProblem = Status::Ok();
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return;
    std::string bytes;
    std::string why;
    if (!std::filesystem::is_regular_file(status)) {
        why = UiText("ResultSet", "不是普通文件");  // a pipe or a device would never end
    } else if (int error = ReadLimitedFile(path, kMaxReviewFileBytes, bytes); error == EFBIG) {
        why = FillForm(UiText("ResultSet", "超过%1 MB"), {std::to_string(kMaxReviewFileBytes >> 20)});
    } else if (error != 0) {
        why = SystemErrorText(error);
    } else if (Status status = ParseReviewLog(bytes, opened.review); !status.ok()) {
        opened.review = ReviewLog();
        why = status.message();
    }
    if (!why.empty()) {
        opened.reviewProblem = Status::Error(FillForm(UiText("ResultSet", "阅卷核对文件“%1”没有读取：%2"), {DisplayPath(path), why}));
    }
}

Status SaveLocked(FolderCommit& commit, const std::filesystem::path& programFolder, std::string_view name,
                  const ResultSet& records) {
    std::filesystem::path txt = SetFile(programFolder, name, ".txt");
    std::filesystem::path cho = SetFile(programFolder, name, ".CHO");
    std::filesystem::path dan = SetFile(programFolder, name, ".DAN");
    // Every file is encoded before any is written: text the code page lacks fails the save
    // while the old set is still whole.
    std::filesystem::path rev = SetFile(programFolder, name, kReviewFileExtension);
    std::vector<FolderCommit::File> files(4);
    files[0].name = txt.filename().string();
    files[1].name = cho.filename().string();
    files[2].name = dan.filename().string();
    files[3].name = rev.filename().string();
    files[3].bytes = SerializeReviewLog(records.review);
    std::string rosterText;
    Status status = SerializeRoster(records.roster, rosterText);
    if (!status.ok()) {
        return Status::Error(FillForm(UiText("ResultSet", "无法保存文件“%1”：%2"), {DisplayPath(txt), status.message()}));
    }
    status = EncodeGbkFile(txt, rosterText, files[0].bytes);
    if (status.ok()) status = ExamPaperFileBytes(cho, records.paper, files[1].bytes);
    if (status.ok()) {
        status = EncodeGbkFile(dan, SerializeAnswerTable(records.answers, records.roster.RowCount()), files[2].bytes);
    }
    if (!status.ok()) return status;
    return commit.Commit(name, files);
}

Status OpenLocked(const FolderCommit& commit, const std::filesystem::path& programFolder, const std::string& name,
                  ResultSet& records, ReviewFile review) {
    if (commit.HasMarker(name)) {
        if (commit.status().ok()) return Status::Error(FillForm(UiText("ResultSet", "成绩“%1”的上次保存没有完成，不能打开"), {name}));
        return Status::Error(
            FillForm(UiText("ResultSet", "成绩“%1”的上次保存没有完成，不能打开：%2"), {name, commit.status().message()}));
    }
    std::filesystem::path paths[3] = {SetFile(programFolder, name, ".TXT"), SetFile(programFolder, name, ".CHO"),
                                      SetFile(programFolder, name, ".DAN")};
    std::string bytes[3];
    for (int i = 0; i < 3; ++i) {
        std::error_code ec;
        bool exists = std::filesystem::exists(paths[i], ec);
        std::optional<std::string> read = ReadFileBytes(paths[i]);
        if (!read) {
            std::string form = exists ? UiText("ResultSet", "成绩“%1”不完整，不能打开：无法读取文件“%2”。")
                                      : UiText("ResultSet", "成绩“%1”不完整，不能打开：缺少文件“%2”。");
            return Status::Error(FillForm(form, {name, DisplayPath(paths[i])}));
        }
        bytes[i] = std::move(*read);
    }

    ResultSet opened = records;  // the order of the steps below needs what the records held
    Status status = ParseResultRosterFile(bytes[0], paths[0], opened.roster);
    if (!status.ok()) return status;
    KeyFile paper = KeyFile::Parse(bytes[1]);
    if (paper.Read(kPaperMainSection, "总题数", "").empty()) {
        return Status::Error(
            FillForm(UiText("ResultSet", "成绩“%1”的试卷文件“%2”是空的或已损坏，不能打开。"), {name, DisplayPath(paths[1])}));
    }
    if (bytes[2].empty() && opened.roster.RowCount() > 0) {
        return Status::Error(FillForm(UiText("ResultSet", "成绩“%1”的答案文件“%2”是空的，不能打开。"), {name, DisplayPath(paths[2])}));
    }
    if (ReadExamPaper(paper, opened.paper)) opened.answers.Reset(opened.roster.RowCount() + 100);
    ParseAnswerTable(bytes[2], opened.answers, opened.roster.RowCount());
    if (review == ReviewFile::Read) {
        ReadReview(SetFile(programFolder, name, kReviewFileExtension), opened);
    } else {
        opened.review = ReviewLog();
        opened.reviewProblem = Status::Ok();
    }
    records = std::move(opened);
    return Status::Ok();
}

}  // namespace

void LoadExamPaper(const std::filesystem::path& path, ResultSet& records) {
    if (ReadExamPaper(path, records.paper)) records.answers.Reset(records.roster.RowCount() + 100);
}

Status SaveResultSet(const std::filesystem::path& programFolder, std::string_view name,
                     const ResultSet& records) {
    if (Status status = CheckSetName(programFolder, name); !status.ok()) return status;
    // Taken first: an interrupted save it finishes may create the files the names resolve to.
    FolderCommit commit(ResultsFolder(programFolder));
    return SaveLocked(commit, programFolder, name, records);
}

Status SaveNewResultSet(const std::filesystem::path& programFolder, std::string_view name, const ResultSet& records,
                        std::string& savedAs) {
    if (Status status = CheckSetName(programFolder, name); !status.ok()) return status;
    FolderCommit commit(ResultsFolder(programFolder));
    savedAs = std::string(name);
    for (int suffix = 2; SetExists(programFolder, savedAs); ++suffix) {
        if (suffix > 999) return Status::Error(FillForm(UiText("ResultSet", "成绩“%1”已存在，也找不到可用的新名称，未保存"), {name}));
        savedAs = std::string(name) + "-" + std::to_string(suffix);
    }
    return SaveLocked(commit, programFolder, savedAs, records);
}

std::string ResultSetNameFromEntry(std::string_view entryText) {
    std::string lower = LowerAscii(entryText);
    std::size_t at = lower.find(".cho");
    return TrimSpaces(at == std::string::npos ? entryText : entryText.substr(0, at));
}

Status OpenResultSet(const std::filesystem::path& programFolder, std::string_view entryText,
                     ResultSet& records, ReviewFile review) {
    FolderCommit commit(ResultsFolder(programFolder));  // held while reading: no save changes the files meanwhile
    return OpenLocked(commit, programFolder, ResultSetNameFromEntry(entryText), records, review);
}

Status UpdateResultSet(const std::filesystem::path& programFolder, std::string_view entryText, ResultSet& records,
                       const std::function<Status(ResultSet&)>& change) {
    std::string name = ResultSetNameFromEntry(entryText);
    if (Status status = CheckSetName(programFolder, name); !status.ok()) return status;
    FolderCommit commit(ResultsFolder(programFolder));
    if (Status status = OpenLocked(commit, programFolder, name, records, ReviewFile::Read); !status.ok()) return status;
    if (!records.reviewProblem.ok()) {
        return Status::Error(FillForm(UiText("ResultSet", "%1。为免丢失其中的记录，成绩“%2”没有修改。"),
                                      {records.reviewProblem.message(), name}));
    }
    if (Status status = change(records); !status.ok()) return status;
    return SaveLocked(commit, programFolder, name, records);
}

std::vector<std::string> ListResultSets(const std::filesystem::path& programFolder) {
    std::filesystem::path folder = ResultsFolder(programFolder);
    FolderCommit commit(folder);
    return ListFiles(folder, "*.CHO");
}

Status DeleteResultSet(const std::filesystem::path& programFolder, std::string_view name) {
    FolderCommit commit(ResultsFolder(programFolder));  // an interrupted save must not bring the set back
    std::string failures;
    for (const char* extension : {".TXT", ".CHO", ".DAN", kReviewFileExtension}) {
        std::filesystem::path path = SetFile(programFolder, name, extension);
        int error = ::unlink(path.c_str()) == 0 ? 0 : errno;
        if (error != 0 && error != ENOENT) {
            failures += FillForm(UiText("ResultSet", "无法删除文件“%1”：%2。"), {DisplayPath(path), SystemErrorText(error)}) + "\n";
        }
    }
    SyncFolder(ResultsFolder(programFolder));
    if (failures.empty()) return Status::Ok();
    failures.pop_back();
    return Status::Error(failures);
}

}  // namespace quillmark
