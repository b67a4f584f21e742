#include "result_set.h"

#include <cerrno>
#include <unistd.h>

#include "file_io.h"
#include "folder_commit.h"
#include "program_paths.h"
#include "system_error_text.h"
#include "text_fns.h"

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

}  // namespace

void LoadExamPaper(const std::filesystem::path& path, ResultSet& records) {
    if (ReadExamPaper(path, records.paper)) records.answers.Reset(records.roster.RowCount() + 100);
}

Status SaveResultSet(const std::filesystem::path& programFolder, std::string_view name,
                     const ResultSet& records) {
    if (name.find_first_of(std::string_view("/\\\n\r\0", 5)) != std::string_view::npos) {
        return SaveFailure(ResultsFolder(programFolder) / (std::string(name) + ".txt"), EINVAL);
    }
    if (int error = MakeFolder(ResultsFolder(programFolder))) {
        return SaveFailure(ResultsFolder(programFolder) / (std::string(name) + ".txt"), error);
    }
    // Taken first: an interrupted save it finishes may create the files the names resolve to.
    FolderCommit commit(ResultsFolder(programFolder));
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
    if (!status.ok()) return Status::Error("无法保存文件“" + DisplayPath(txt) + "”：" + status.message());
    status = EncodeGbkFile(txt, rosterText, files[0].bytes);
    if (status.ok()) status = ExamPaperFileBytes(cho, records.paper, files[1].bytes);
    if (status.ok()) {
        status = EncodeGbkFile(dan, SerializeAnswerTable(records.answers, records.roster.RowCount()), files[2].bytes);
    }
    if (!status.ok()) return status;
    return commit.Commit(name, files);
}

std::string ResultSetNameFromEntry(std::string_view entryText) {
    std::string lower = LowerAscii(entryText);
    std::size_t at = lower.find(".cho");
    return TrimSpaces(at == std::string::npos ? entryText : entryText.substr(0, at));
}

Status OpenResultSet(const std::filesystem::path& programFolder, std::string_view entryText,
                     ResultSet& records) {
    std::string name = ResultSetNameFromEntry(entryText);
    FolderCommit commit(ResultsFolder(programFolder));  // held while reading: no save changes the files meanwhile
    if (commit.HasMarker(name)) {
        std::string why = commit.status().ok() ? "" : "：" + commit.status().message();
        return Status::Error("成绩“" + name + "”的上次保存没有完成，不能打开" + why);
    }
    std::filesystem::path paths[3] = {SetFile(programFolder, name, ".TXT"), SetFile(programFolder, name, ".CHO"),
                                      SetFile(programFolder, name, ".DAN")};
    std::string bytes[3];
    for (int i = 0; i < 3; ++i) {
        std::error_code ec;
        bool exists = std::filesystem::exists(paths[i], ec);
        std::optional<std::string> read = ReadFileBytes(paths[i]);
        if (!read) {
            return Status::Error("成绩“" + name + "”不完整，不能打开：" + (exists ? "无法读取" : "缺少") + "文件“" +
                                 DisplayPath(paths[i]) + "”。");
        }
        bytes[i] = std::move(*read);
    }

    ResultSet opened = records;  // the order of the steps below needs what the records held
    Status status = ParseResultRosterFile(bytes[0], paths[0], opened.roster);
    if (!status.ok()) return status;
    KeyFile paper = KeyFile::Parse(bytes[1]);
    if (paper.Read(kPaperMainSection, "总题数", "").empty()) {
        return Status::Error("成绩“" + name + "”的试卷文件“" + DisplayPath(paths[1]) + "”是空的或已损坏，不能打开。");
    }
    if (bytes[2].empty() && opened.roster.RowCount() > 0) {
        return Status::Error("成绩“" + name + "”的答案文件“" + DisplayPath(paths[2]) + "”是空的，不能打开。");
    }
    if (ReadExamPaper(paper, opened.paper)) opened.answers.Reset(opened.roster.RowCount() + 100);
    ParseAnswerTable(bytes[2], opened.answers, opened.roster.RowCount());
    opened.review = ReviewLog();
    if (std::optional<std::string> review = ReadFileBytes(SetFile(programFolder, name, kReviewFileExtension))) {
        if (!ParseReviewLog(*review, opened.review).ok()) opened.review = ReviewLog();
    }
    records = std::move(opened);
    return Status::Ok();
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
        if (error != 0 && error != ENOENT) failures += "无法删除文件“" + DisplayPath(path) + "”：" + SystemErrorText(error) + "。\n";
    }
    SyncFolder(ResultsFolder(programFolder));
    if (failures.empty()) return Status::Ok();
    failures.pop_back();
    return Status::Error(failures);
}

}  // namespace quillmark
