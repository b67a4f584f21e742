#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/prompt.h"
#include "data/result_set.h"
#include "data/status.h"
#include "spreadsheet_export.h"

namespace quillmark {

// The plain-text grade files: a table of every examinee's grades and answers, and the grade
// import files of two learning platforms. Each holds only the examinees with results (a
// non-blank score), in roster order.
enum class GradeFormat {
    Csv,     // UTF-8 with a byte-order mark, CR LF: Number, Name, Score, Rank, Grade, Qn answer, Qn points...
    Moodle,  // UTF-8 without a mark: the identifier column, then one grade column named after the paper
    Canvas,  // UTF-8 without a mark: Student, ID, SIS User ID, SIS Login ID, Section, the paper; Points Possible
};

// How an examinee is known to a learning platform. Without an entry for an examinee, the
// examinee number stands in for the identifier (Moodle) or the SIS User ID (Canvas).
struct PlatformIdentity {
    std::string identifier;  // Moodle: the value of the identifier column (an ID number, an email, a user name)
    // Canvas: the leading columns; empty ones stay empty, except Student (the roster's name).
    std::string student;
    std::string canvasId;
    std::string sisUserId;
    std::string sisLoginId;
    std::string section;
};

struct GradeExportOptions {
    // The name of the grade column (Moodle, Canvas): the results set's or paper's title.
    std::string title;
    // Moodle's identifier column: "idnumber" maps to the user's ID number; "email" or
    // "username" when the identities hold those.
    std::string moodleIdColumn = "idnumber";
    // Examinee number (trimmed, as the roster holds it) -> identity.
    std::map<std::string, PlatformIdentity> identities;
};

struct GradeFile {
    std::string bytes;
    // Examinees left out of a platform file because identities were given but none for them.
    std::vector<std::string> unmatched;
};

// The file's bytes. Ranks are the results page's competition ranks and the grade the band of
// the paper's thresholds as the statistics count it; a question's points are its score when
// the marking rule takes the answer as right, otherwise 0.
GradeFile BuildGradeFile(const ResultSet& records, GradeFormat format, const GradeExportOptions& options);

// The band the statistics count a score in: 优秀, 良好, 中等, 及格 or 不及格.
std::string GradeBand(const ExamPaper& paper, double score);

// The sum of every question's effective score.
double FullScore(const ExamPaper& paper);

// A number with '.' as the decimal point whatever the locale, without exponent, trailing
// zeros or a trailing point (2 -> "2", 2.5 -> "2.5"), rounded to 9 decimals so that sums of
// decimal scores read as typed; empty for a value that is no finite number.
std::string GradeNumberText(double value);


// The file's default name in ChengJi: TITLE.csv, TITLE-moodle.csv or TITLE-canvas.csv
// ("成绩导出" when the title is empty).
std::string GradeFileName(const std::string& title, GradeFormat format);
std::filesystem::path DefaultGradeFilePath(const std::filesystem::path& programFolder, const std::string& title,
                                           GradeFormat format);

// Reads a table of identities (rows of cells, the first the header). The column headed
// "number" (or "考号") names the examinee; Moodle takes the first other column as its
// identifier and that column's header as the identifier column's name; Canvas takes the
// columns headed Student, ID, SIS User ID, SIS Login ID and Section. Errors name the row.
Status ReadPlatformIdentities(const std::vector<std::vector<std::string>>& rows, GradeFormat format,
                              GradeExportOptions& options);

// Writes the file atomically, creating ChengJi first when the target is the default.
Status WriteGradeFile(const std::filesystem::path& target, const GradeFile& file);

// The results page's command: asks for the file (the default in ChengJi suggested), asks
// before replacing one, writes it and tells where it went, or why it was not written (and
// which examinees were left out). Returns the written file, or an empty path.
std::filesystem::path ExportGrades(const std::filesystem::path& programFolder, const ResultSet& records,
                                   GradeFormat format, const GradeExportOptions& options, Prompt& prompt,
                                   const ExportPathChooser& choose);

}  // namespace quillmark
