#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "data/file_io.h"
#include "platform/blank_sheets.h"
#include "platform/sheet_renderer.h"
#include "platform/xlsx_writer.h"
#include "results/export_fixture.h"
#include "results/spreadsheet_export.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Records, in one sequence, what the user was shown or asked and which files were opened.
struct Desk : Prompt {
    std::vector<std::string> events;
    std::vector<std::string> titles;
    bool yes = true;
    bool opens = true;

    std::optional<std::string> AskLine(const std::string& text, const std::string&) override {
        events.push_back("line:" + text);
        return std::nullopt;
    }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        events.push_back("ask:" + text);
        titles.push_back(title);
        return yes;
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        events.push_back("message:" + text);
        titles.push_back(title);
    }
    FileOpener Opener() {
        return [this](const std::filesystem::path& path) {
            events.push_back("open:" + path.string());
            return opens ? Status::Ok() : Status::Error("no opener");
        };
    }
};

// Keeps what it was given and answers with a chosen status.
struct FakeWriter {
    std::vector<std::filesystem::path> paths;
    std::vector<ResultsWorkbook> workbooks;
    std::string failure;

    WorkbookWriter Writer() {
        return [this](const ResultsWorkbook& workbook, const std::filesystem::path& path) {
            paths.push_back(path);
            workbooks.push_back(workbook);
            return failure.empty() ? Status::Ok() : Status::Error(failure);
        };
    }
};

class Export : public ::testing::Test {
protected:
    void SetUp() override { folder.MakeProgramFolders(); }

    std::filesystem::path Run(const std::string& title, const WorkbookWriter& write,
                              const ExportPathChooser& choose = KeepDefaultExportPath) {
        return ExportResults(folder.path(), records, 成绩统计分析(records.roster, records.paper), title, desk, choose,
                             write, desk.Opener());
    }

    std::string Succeeded(const std::filesystem::path& file) {
        return std::string("message:") + kExportSucceededMessage + "\n" + file.string();
    }

    TempFolder folder;
    ResultSet records = test::SmallResultSet();
    Desk desk;
    FakeWriter writer;
};

TEST_F(Export, WritesIntoChengJiUnderTheTitleThenTellsAndOpens) {
    std::filesystem::path written = Run("期中考试", writer.Writer());
    std::filesystem::path expected = folder.path() / "ChengJi" / "期中考试.xlsx";
    EXPECT_EQ(written, expected);
    ASSERT_EQ(writer.paths, std::vector<std::filesystem::path>{expected});
    ASSERT_EQ(writer.workbooks[0].sheets.size(), 6u);
    // The written workbook is the one built from these results.
    ResultsWorkbook built = BuildResultsWorkbook(records, 成绩统计分析(records.roster, records.paper), "期中考试");
    for (std::size_t s = 0; s < built.sheets.size(); ++s) {
        ASSERT_EQ(writer.workbooks[0].sheets[s].cells.size(), built.sheets[s].cells.size());
        for (std::size_t c = 0; c < built.sheets[s].cells.size(); ++c)
            EXPECT_EQ(writer.workbooks[0].sheets[s].cells[c].text, built.sheets[s].cells[c].text);
    }
    EXPECT_EQ(desk.events, (std::vector<std::string>{Succeeded(expected), "open:" + expected.string()}));
}

TEST_F(Export, TheChosenFileIsWrittenAndACancelWritesNothing) {
    std::vector<std::filesystem::path> offered;
    std::optional<std::filesystem::path> answer = folder.path() / "sys" / "二班.xlsx";
    auto choose = [&](const std::filesystem::path& suggested) {
        offered.push_back(suggested);
        return answer;
    };
    std::filesystem::path written = Run("期中考试", WriteResultsWorkbook, choose);
    EXPECT_EQ(written, *answer);
    EXPECT_EQ(offered, std::vector<std::filesystem::path>{folder.path() / "ChengJi" / "期中考试.xlsx"});
    EXPECT_EQ(folder.ReadBytes("sys/二班.xlsx").substr(0, 2), "PK");
    EXPECT_FALSE(std::filesystem::exists(offered[0]));
    EXPECT_EQ(desk.events, (std::vector<std::string>{Succeeded(*answer), "open:" + answer->string()}));

    answer.reset();
    desk.events.clear();
    EXPECT_TRUE(Run("期中考试", writer.Writer(), choose).empty());
    EXPECT_TRUE(writer.paths.empty());
    EXPECT_TRUE(desk.events.empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "ChengJi"));
}

TEST_F(Export, FindsChengJiWhateverItsCaseAndNamesAnUntitledExport) {
    std::filesystem::remove(folder.path() / "ChengJi");
    std::filesystem::create_directory(folder.path() / "chengji");
    EXPECT_EQ(Run("", writer.Writer()), folder.path() / "chengji" / "成绩导出.xlsx");
    EXPECT_EQ(Run("   ", writer.Writer()), folder.path() / "chengji" / "成绩导出.xlsx");
    EXPECT_EQ(Run(" 月考 ", writer.Writer()), folder.path() / "chengji" / "月考.xlsx");
    EXPECT_EQ(writer.paths.size(), 3u);
}

TEST_F(Export, WhenNothingOpensTheFileTheUserIsToldWhereItIs) {
    desk.opens = false;
    std::filesystem::path written = Run("期中考试", writer.Writer());
    ASSERT_FALSE(written.empty());
    ASSERT_EQ(desk.events.size(), 3u);
    EXPECT_EQ(desk.events[0], Succeeded(written));
    EXPECT_EQ(desk.events[1], "open:" + written.string());
    EXPECT_TRUE(Contains(desk.events[2], "message:")) << desk.events[2];
    EXPECT_TRUE(Contains(desk.events[2], written.string())) << desk.events[2];
    EXPECT_TRUE(Contains(desk.events[2], ".xlsx")) << desk.events[2];
}

TEST_F(Export, AWriteFailureShowsWhyAndNeverTheSuccess) {
    writer.failure = "无法保存文件“/x/期中考试.xlsx”：磁盘空间不足。";
    EXPECT_TRUE(Run("期中考试", writer.Writer()).empty());
    ASSERT_EQ(desk.events.size(), 1u);
    EXPECT_TRUE(Contains(desk.events[0], writer.failure)) << desk.events[0];
    EXPECT_FALSE(Contains(desk.events[0], kExportSucceededMessage));
}

TEST_F(Export, AnOlderExportIsReplacedOnlyWhenTheUserAgreesAndNoTemporaryFileStays) {
    folder.WriteBytes("ChengJi/期中考试.xlsx", "older export");
    folder.WriteBytes("ChengJi/期中考试.CHO", "kept");
    desk.yes = false;
    EXPECT_TRUE(Run("期中考试", WriteResultsWorkbook).empty());
    EXPECT_EQ(folder.ReadBytes("ChengJi/期中考试.xlsx"), "older export");
    ASSERT_EQ(desk.events.size(), 1u);
    EXPECT_TRUE(Contains(desk.events[0], "ask:")) << desk.events[0];
    EXPECT_EQ(desk.titles[0], "警告");

    desk.yes = true;
    std::filesystem::path written = Run("期中考试", WriteResultsWorkbook);
    ASSERT_EQ(written, folder.path() / "ChengJi" / "期中考试.xlsx");
    EXPECT_EQ(folder.ReadBytes("ChengJi/期中考试.xlsx").substr(0, 2), "PK");
    EXPECT_EQ(folder.ReadBytes("ChengJi/期中考试.CHO"), "kept");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "ChengJi"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"期中考试.CHO", "期中考试.xlsx"}));
    EXPECT_EQ(desk.events[2], Succeeded(written));
}

TEST_F(Export, TheRealWriterFailingInAMissingFolderIsReportedWithItsPath) {
    // A plain file where ChengJi should be: neither the folder nor the workbook can be made.
    std::filesystem::remove(folder.path() / "ChengJi");
    folder.WriteBytes("ChengJi", "not a folder");
    EXPECT_TRUE(Run("期中考试", WriteResultsWorkbook).empty());
    ASSERT_EQ(desk.events.size(), 1u);
    EXPECT_TRUE(Contains(desk.events[0], (folder.path() / "ChengJi" / "期中考试.xlsx").string())) << desk.events[0];
    EXPECT_FALSE(Contains(desk.events[0], kExportSucceededMessage));
}

struct FakePdf {
    std::vector<std::vector<SheetLayout>> calls;
    std::vector<std::filesystem::path> paths;
    std::string failure;

    PdfWriter Writer() {
        return [this](const std::vector<SheetLayout>& layouts, const std::filesystem::path& path) {
            calls.push_back(layouts);
            paths.push_back(path);
            return failure.empty() ? Status::Ok() : Status::Error(failure);
        };
    }
};

TEST(PrintAnswerSheets, AskingFirstAndStoppingOnNo) {
    TempFolder folder;
    Desk desk;
    desk.yes = false;
    FakePdf pdf;
    EXPECT_TRUE(PrintAnswerSheets(folder.path(), desk, pdf.Writer(), desk.Opener()).empty());
    EXPECT_TRUE(pdf.calls.empty());
    ASSERT_EQ(desk.events.size(), 1u);
    EXPECT_TRUE(Contains(desk.events[0], "ask:"));
    EXPECT_TRUE(Contains(desk.events[0], "PDF"));
    EXPECT_EQ(desk.titles, std::vector<std::string>{"提示:"});
    EXPECT_FALSE(std::filesystem::exists(folder.path() / kAnswerSheetsPdfName));
}

TEST(PrintAnswerSheets, EverySheetTypeInListOrderIntoTheProgramFolder) {
    TempFolder folder;
    Desk desk;
    FakePdf pdf;
    std::filesystem::path written = PrintAnswerSheets(folder.path(), desk, pdf.Writer(), desk.Opener());
    EXPECT_EQ(written, folder.path() / "答题卡.pdf");
    ASSERT_EQ(pdf.calls.size(), 1u);
    ASSERT_EQ(pdf.calls[0].size(), kSheetTypes.size());
    for (std::size_t i = 0; i < kSheetTypes.size(); ++i) {
        EXPECT_EQ(pdf.calls[0][i].entry, &kSheetTypes[i]) << i;
        EXPECT_EQ(pdf.calls[0][i].questions, LayoutOf(kSheetTypes[i]).questions) << i;
    }
    ASSERT_EQ(desk.events.size(), 2u);
    EXPECT_EQ(desk.events[1], "open:" + written.string());
}

TEST(PrintAnswerSheets, WriteAndOpenFailuresNameTheFile) {
    TempFolder folder;
    std::filesystem::path target = folder.path() / "答题卡.pdf";
    {
        Desk desk;
        FakePdf pdf;
        pdf.failure = "无法保存文件“" + target.string() + "”：没有权限。";
        EXPECT_TRUE(PrintAnswerSheets(folder.path(), desk, pdf.Writer(), desk.Opener()).empty());
        ASSERT_EQ(desk.events.size(), 2u);  // the question, then the failure; nothing opened
        EXPECT_TRUE(Contains(desk.events[1], "message:"));
        EXPECT_TRUE(Contains(desk.events[1], pdf.failure));
    }
    {
        Desk desk;
        desk.opens = false;
        FakePdf pdf;
        EXPECT_EQ(PrintAnswerSheets(folder.path(), desk, pdf.Writer(), desk.Opener()), target);
        ASSERT_EQ(desk.events.size(), 3u);
        EXPECT_EQ(desk.events[1], "open:" + target.string());
        EXPECT_TRUE(Contains(desk.events[2], "message:"));
        EXPECT_TRUE(Contains(desk.events[2], target.string()));
    }
}

TEST(PrintAnswerSheets, TheRealPdfHasOnePagePerSheetType) {
    TempFolder folder;
    Desk desk;
    std::filesystem::path written = PrintAnswerSheets(folder.path(), desk, WriteBlankSheetsPdf, desk.Opener());
    ASSERT_EQ(written, folder.path() / "答题卡.pdf");
    std::optional<std::string> bytes = ReadFileBytes(written);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->substr(0, 5), "%PDF-");
    std::regex page(R"(/Type\s*/Page(?![a-zA-Z]))");
    auto pages = std::distance(std::sregex_iterator(bytes->begin(), bytes->end(), page), std::sregex_iterator());
    EXPECT_EQ(pages, 21);
    EXPECT_EQ(desk.events.back(), "open:" + written.string());
}

}  // namespace
}  // namespace quillmark
