#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <stdexcept>
#include <thread>

#include "data/text_fns.h"
#include "engine/recognition_settings.h"
#include "marking/batch_preparer.h"
#include "marking/installed_sheet_types.h"
#include "marking/marking_run.h"
#include "marking/sheet_layouts.h"
#include "support/filled_sheet.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

using test::TempFolder;

// Records everything the pipeline shows and answers the dialogs from a script.
class ScriptedUi : public MarkingUi {
public:
    std::vector<std::string> events;
    std::vector<std::string> typeAnswers;
    std::vector<std::string> numberAnswers;
    std::vector<DuplicateDecision> duplicateAnswers;
    bool sheetInView = false;  // reset for every sheet by the test
    int askedWithoutTheSheet = 0;

    void ShowSheet(const PixelBuffer&) override { sheetInView = true; }
    void ShowMessage(const std::string& text) override {
        Asking();
        events.push_back("message:" + text);
    }
    std::string ChooseSheetType() override {
        Asking();
        events.push_back("type dialog");
        return Next(typeAnswers);
    }
    std::string ChooseExamineeNumber(const Roster& roster, const NumberReading& read) override {
        Asking();
        events.push_back("number dialog (" + std::to_string(roster.RowCount()) + " rows, read " + read.digits +
                         (read.complete ? "" : ", incomplete") + ")");
        return Next(numberAnswers);
    }
    DuplicateDecision ResolveDuplicate(const DuplicateSheet& sheet, const PixelBuffer&) override {
        Asking();
        events.push_back("duplicate " + sheet.number + (sheet.sameImage ? " same image" : ""));
        if (duplicateAnswers.empty()) return {};
        DuplicateDecision answer = duplicateAnswers.front();
        duplicateAnswers.erase(duplicateAnswers.begin());
        return answer;
    }

private:
    void Asking() { askedWithoutTheSheet += sheetInView ? 0 : 1; }
    static std::string Next(std::vector<std::string>& answers) {
        if (answers.empty()) return "";
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

const SheetLayout& Layout100A() {
    static SheetLayout layout = LayoutOf(kSheetTypes[12]);
    return layout;
}

PixelBuffer Sheet(const std::string& number, const std::string& code = "", int seed = 1) {
    static std::map<std::string, PixelBuffer> cache;
    std::string key = number + "/" + code + "/" + std::to_string(seed);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    SheetLayout layout = Layout100A();
    // The same layout printed with another code strip.
    SheetTypeEntry recoded{"100A型", "100A型", code.c_str()};
    if (!code.empty()) layout.entry = &recoded;
    test::FilledSheetRecipe recipe;
    recipe.layout = &layout;
    recipe.dpi = 150;
    recipe.number = number;
    recipe.seed = static_cast<std::uint64_t>(seed);
    for (int q = 1; q <= 100; ++q) recipe.answers.push_back(std::to_string(1 + (q + seed) % 4));
    PixelBuffer image = test::MakeFilledSheet(recipe).image;
    cache.emplace(key, image);
    return image;
}

class MarkingPipeline : public ::testing::Test {
protected:
    void SetUp() override {
        home.MakeProgramFolders();
        std::filesystem::path installed = std::filesystem::path(QUILLMARK_PROGRAM_FOLDER_SOURCE);
        std::filesystem::copy(installed / "DaTiKa", home.path() / "DaTiKa", std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
        std::filesystem::copy(installed / "sys", home.path() / "sys", std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
        settings.recognition = ReadRecognitionSettings(home.path());
        records.paper.总题数 = 100;
        records.paper.分值 = 1;
        for (int q = 1; q <= 100; ++q) records.paper.questions[static_cast<std::size_t>(q)][ExamQuestion::DA] = "1";
        for (const char* number : {"0101", "0102", "0103"}) {
            records.roster.Row(records.roster.AppendRow())[Examinee::考号] = number;
        }
    }

    SheetOutcome Mark(const PixelBuffer& image) {
        ui.sheetInView = false;
        settings.sheetTypes = LoadInstalledSheetTypes(home.path());  // as a run loads them
        PreparedSheet sheet = PrepareSheet(image, settings);
        return FinishSheet(sheet, settings, home.path(), records, ui);
    }
    void TearDown() override { EXPECT_EQ(ui.askedWithoutTheSheet, 0) << "a question came before its sheet was shown"; }

    TempFolder home;
    MarkingSettings settings;
    ResultSet records;
    ScriptedUi ui;
};

TEST_F(MarkingPipeline, AReadableSheetIsScoredIntoItsRosterRow) {
    SheetOutcome outcome = Mark(Sheet("0102"));
    EXPECT_EQ(outcome.kind, SheetOutcome::Marked);
    EXPECT_EQ(outcome.rosterRow, 2);
    EXPECT_EQ(outcome.typeCode, "1010011001");
    EXPECT_EQ(records.roster.Row(2)[Examinee::Score], " 25");  // every fourth answer is "1"
    EXPECT_TRUE(ui.events.empty());
}

TEST_F(MarkingPipeline, AFrameThatIsNotFoundIsReportedAndNothingRecorded) {
    SheetOutcome outcome = Mark(PixelBuffer::Blank(800, 1100, PixelFormat::Gray8));
    EXPECT_EQ(outcome.kind, SheetOutcome::FrameFailed);
    EXPECT_EQ(outcome.status.code(), "no_left_side");  // scripts go by the code, people by the text
    EXPECT_EQ(ui.events, (std::vector<std::string>{"message:无法确定左边框 请检查答题卡和图像输入设备，再重新输入！"}));
    EXPECT_EQ(records.roster.RowCount(), 3);
}

TEST_F(MarkingPipeline, UnknownTypeAsksTheUser) {
    PixelBuffer unknown = Sheet("0101", "1111100001");
    SheetOutcome abandoned = Mark(unknown);
    EXPECT_EQ(abandoned.kind, SheetOutcome::TypeAbandoned);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"type dialog"}));
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], "");

    ui.events.clear();
    ui.typeAnswers = {"1010011001"};
    SheetOutcome chosen = Mark(unknown);
    EXPECT_EQ(chosen.kind, SheetOutcome::Marked);
    EXPECT_EQ(chosen.typeCode, "1010011001");
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], " 25");
}

TEST_F(MarkingPipeline, AChosenTypeThatCannotMeasureTheSheetRecordsNothing) {
    ui.typeAnswers = {"1111100001"};  // no definition either
    SheetOutcome outcome = Mark(Sheet("0101", "1111100001"));
    EXPECT_EQ(outcome.kind, SheetOutcome::TypeFailed);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"type dialog", "message:答题卡类型错误 请检查答题卡和图像输入设备，再重新输入！"}));
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], "");
    EXPECT_EQ(records.roster.RowCount(), 3);
}

TEST_F(MarkingPipeline, ABrokenDefinitionIsReportedWithoutAskingForAType) {
    home.WriteBytes("DaTiKa/1010011001.CAR", "[MAIN]\r\n水平单元格数=0\r\n");
    SheetOutcome outcome = Mark(Sheet("0101"));
    EXPECT_EQ(outcome.kind, SheetOutcome::TypeFailed);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"message:答题卡类型定义错误 请检查答题卡和图像输入设备，再重新输入！"}));
    EXPECT_EQ(records.roster.Row(1)[Examinee::Score], "");
}

TEST_F(MarkingPipeline, CheckedNumbersNotInTheRosterAskTheUser) {
    settings.checkExamineeNumber = true;
    SheetOutcome abandoned = Mark(Sheet("0999"));
    EXPECT_EQ(abandoned.kind, SheetOutcome::NumberAbandoned);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"number dialog (3 rows, read 0999)"}));

    ui.numberAnswers = {"0103"};
    EXPECT_EQ(Mark(Sheet("0999")).rosterRow, 3);

    // A typed number in no roster row keeps the sheet's result in a new row.
    ui.numberAnswers = {"0777"};
    SheetOutcome added = Mark(Sheet("0999"));
    EXPECT_EQ(added.kind, SheetOutcome::Marked);
    EXPECT_EQ(added.rosterRow, 4);
    EXPECT_EQ(records.roster.Row(4)[Examinee::考号], "0777");
    EXPECT_EQ(records.roster.Row(4)[Examinee::Score], " 25");
    EXPECT_EQ(records.answers.Cell(3, 4), "1");  // 1 + (3 + 1) % 4
}

TEST_F(MarkingPipeline, UncheckedNumbersAreAddedOnceAndFoundAfterwards) {
    EXPECT_EQ(Mark(Sheet("0555")).rosterRow, 4);
    settings.onDuplicate = DuplicatePolicy::Replace;
    EXPECT_EQ(Mark(Sheet("0555", "", 2)).rosterRow, 4);
    EXPECT_EQ(records.roster.RowCount(), 4);
    EXPECT_TRUE(ui.events.empty());
}

// With the number check off, a number with a blank digit used to be added as a row and
// every later such sheet wrote over it.
TEST_F(MarkingPipeline, IncompleteNumbersAreNeverRecordedWithoutTheUser) {
    SheetOutcome partial = Mark(Sheet("01 3"));
    EXPECT_EQ(partial.kind, SheetOutcome::NumberAbandoned);
    EXPECT_EQ(StatusText(partial.status), "考号填涂不完整");
    EXPECT_EQ(Mark(Sheet("    ")).kind, SheetOutcome::NumberAbandoned);
    EXPECT_EQ(ui.events, (std::vector<std::string>{"number dialog (3 rows, read 013, incomplete)",
                                                   "number dialog (3 rows, read , incomplete)"}));
    EXPECT_EQ(records.roster.RowCount(), 3);

    ui.numberAnswers = {"0143"};
    SheetOutcome typed = Mark(Sheet("01 3"));
    EXPECT_EQ(typed.kind, SheetOutcome::Marked);
    EXPECT_EQ(records.roster.Row(typed.rosterRow)[Examinee::考号], "0143");
}

TEST_F(MarkingPipeline, AFullRosterFailsTheSheetInsteadOfDroppingItsResult) {
    while (records.roster.AppendRow() != 0) {}
    settings.checkExamineeNumber = true;
    ui.numberAnswers = {"0999"};
    SheetOutcome outcome = Mark(Sheet("0999"));
    EXPECT_EQ(outcome.kind, SheetOutcome::NotRecorded);
    EXPECT_EQ(StatusText(outcome.status), "名册已满，无法添加考生");
    EXPECT_EQ(ui.events.back(), "message:名册已满，无法添加考生");
    EXPECT_EQ(Mark(Sheet("0102")).kind, SheetOutcome::Marked);  // a known examinee still is
}

TEST_F(MarkingPipeline, FixedTypeSkipsTheCodeStrip) {
    settings.fixedTypeEnabled = true;
    settings.fixedTypeCode = " 1010011001 ";
    SheetOutcome outcome = Mark(Sheet("0101", "1111100001"));
    EXPECT_EQ(outcome.kind, SheetOutcome::Marked);
    EXPECT_TRUE(ui.events.empty());

    // A code that clearly names another installed type is never overruled: nothing is scored.
    SheetOutcome refused = Mark(Sheet("0102", "1000111001"));
    EXPECT_EQ(refused.kind, SheetOutcome::TypeFailed);
    EXPECT_TRUE(Is(refused.status, kFixedTypeContradicted));
    EXPECT_EQ(refused.status.message(), "答题卡与指定的答题卡类型不符");
    EXPECT_TRUE(TrimSpaces(records.roster.Row(2)[Examinee::Score]).empty());
}

TEST_F(MarkingPipeline, AnExamineesResultsAreNeverRecordedOverWithoutTheUser) {
    ASSERT_EQ(Mark(Sheet("0101")).kind, SheetOutcome::Marked);
    const std::string first = records.answers.Cell(1, 1);

    // Unanswered, the earlier result stays; the same picture again is named as such.
    SheetOutcome kept = Mark(Sheet("0101", "", 2));
    EXPECT_EQ(kept.kind, SheetOutcome::DuplicateKept);
    EXPECT_EQ(records.answers.Cell(1, 1), first);
    SheetOutcome again = Mark(Sheet("0101"));
    EXPECT_NE(again.status.message().find("同一图像"), std::string::npos) << again.status.message();
    EXPECT_EQ(ui.events, (std::vector<std::string>{"duplicate 0101", "duplicate 0101 same image"}));

    ui.duplicateAnswers = {{DuplicateDecision::Replace, true}};
    SheetOutcome replaced = Mark(Sheet("0101", "", 2));
    EXPECT_TRUE(replaced.replacedEarlier);
    EXPECT_EQ(replaced.duplicatesFromNowOn, DuplicatePolicy::Replace);
    EXPECT_NE(records.answers.Cell(1, 1), first);

    // Another number: asked for and checked again, so it cannot land on a third result.
    ui.duplicateAnswers = {{DuplicateDecision::OtherNumber}, {DuplicateDecision::OtherNumber}};
    ui.numberAnswers = {"0101", "0103"};
    SheetOutcome moved = Mark(Sheet("0101", "", 3));
    EXPECT_EQ(moved.rosterRow, 3);
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "duplicate 0101"), 4);

    // Without anyone to ask, the policy decides.
    settings.onDuplicate = DuplicatePolicy::Refuse;
    SheetOutcome refused = Mark(Sheet("0103", "", 4));
    EXPECT_EQ(refused.kind, SheetOutcome::DuplicateKept);
    EXPECT_NE(refused.status.message().find("未记录"), std::string::npos);
    EXPECT_EQ(refused.status.code(), "duplicate_refused");
    EXPECT_EQ(ui.events.size(), 7u);  // no dialog for it
}

TEST(BatchFiles, JpegsThenBitmapsPngsTiffsAndPdfsEachByNameIgnoringCaseWhateverTheirSpelling) {
    TempFolder folder;
    for (const char* name : {"b.jpg", "A.JPG", "c.Jpg", "a.bmp", " a.bmp", "Z.BMP", "x.png", "d.jpeg", "e.JFIF", "s.TIFF",
                             "r.tif", "t.Tif", "a.pdf", "B.PDF", "w.gif"}) {
        folder.WriteBytes(name, "x");
    }
    std::vector<std::string> names;
    for (const auto& path : BatchFiles(folder.path())) {
        EXPECT_TRUE(std::filesystem::exists(path)) << path;  // opened under the name listed, blanks and all
        names.push_back(path.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.JPG", "b.jpg", "c.Jpg", "d.jpeg", "e.JFIF", " a.bmp", "a.bmp", "Z.BMP",
                                               "x.png", "r.tif", "s.TIFF", "t.Tif", "a.pdf", "B.PDF"}));
}

// Big sheets must not pile up ahead of a slow consumer, and a loader that throws fails
// its own sheet only.
TEST(BatchPreparer, HoldsBoundedBytesAheadAndSurvivesThrowingLoaders) {
    constexpr std::size_t kSheetBytes = 1000 * 1000;
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 12; ++i) files.push_back("sheet" + std::to_string(i) + ".jpg");
    ImageLoader load = [](const SheetSource& sheet) {
        if (sheet.file == "sheet5.jpg") throw std::bad_alloc();
        if (sheet.file == "sheet7.jpg") throw std::runtime_error("decoder gave up");
        DecodedImage decoded;
        decoded.pixels = PixelBuffer::Blank(1000, 1000, PixelFormat::Gray8);
        return decoded;
    };
    FileFeed feed(SheetsOf(files, nullptr), load);
    BatchPreparer preparer(feed, MarkingSettings(), 4, 3 * kSheetBytes);
    std::vector<std::string> errors;
    for (std::size_t i = 0; i < files.size(); ++i) {
        errors.push_back(preparer.Next()->problem.message());
        if (i == 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let the workers run ahead
    }
    EXPECT_NE(errors[5].find("内存不足"), std::string::npos) << errors[5];
    EXPECT_NE(errors[7].find("sheet7.jpg"), std::string::npos) << errors[7];
    EXPECT_EQ(std::count(errors.begin(), errors.end(), ""), 10);
    EXPECT_LE(preparer.PeakBytesHeld(), 4 * kSheetBytes);  // the budget and the sheet the consumer waits for
    EXPECT_FALSE(preparer.Next());
    EXPECT_TRUE(preparer.Exhausted());
}

// A mixed batch marked with 1, 2 and 4 threads: outcomes, messages, dialogs and records
// must be those of marking the files one by one.
TEST_F(MarkingPipeline, ParallelBatchesEqualMarkingOneByOne) {
    std::map<std::string, PixelBuffer> images = {
        {"01.jpg", Sheet("0101")},
        {"02.jpg", PixelBuffer::Blank(700, 990, PixelFormat::Gray8)},
        {"03.jpg", Sheet("0888")},
        {"05.jpg", Sheet("0102", "1111100001")},
        {"06.jpg", Sheet("0103", "", 3)},
        {"07.jpg", Sheet("0666")},
        {"08.jpg", Sheet("0101", "1111100001", 4)},
        {"09.jpg", Sheet("0102", "", 5)},
    };
    std::vector<std::filesystem::path> files;
    for (const char* name : {"01.jpg", "02.jpg", "03.jpg", "04.jpg", "05.jpg", "06.jpg", "07.jpg", "08.jpg", "09.jpg"}) {
        files.push_back(home.path() / "sample" / name);
    }
    ImageLoader load = [&images](const SheetSource& sheet) {
        DecodedImage decoded;
        auto it = images.find(sheet.file.filename().string());
        if (it == images.end()) decoded.status = Status::Error("无法读取图像文件“" + sheet.file.filename().string() + "”");
        else decoded.pixels = it->second;
        return decoded;
    };

    struct Run {
        std::vector<std::string> events;
        std::vector<std::string> sheets;
        std::string roster;
    };
    auto run = [&](int threads) {
        ResultSet copy = records;
        ScriptedUi scripted;
        scripted.typeAnswers = {"", "1010011001"};
        scripted.numberAnswers = {"0103", ""};
        MarkingSettings checked = settings;
        checked.checkExamineeNumber = true;
        Run result;
        checked.sheetTypes = LoadInstalledSheetTypes(home.path());
        MarkingContext context;
        context.programFolder = home.path();
        context.settings = checked;
        context.records = &copy;
        context.ui = &scripted;
        context.load = load;
        context.threads = threads;
        context.onSheet = [&result](const SheetSource& sheet, const SheetOutcome& outcome) {
            std::string unread = outcome.kind == SheetOutcome::Unreadable ? outcome.status.message() : "";
            result.sheets.push_back(sheet.file.filename().string() + ":" + std::to_string(outcome.kind) + "/" +
                                    outcome.examineeNumber + "/" + outcome.score + unread);
        };
        SheetRun(FeedOfFiles(files, context), context).RunToEnd();
        result.events = scripted.events;
        for (int r = 1; r <= copy.roster.RowCount(); ++r) {
            result.roster += copy.roster.Row(r)[Examinee::考号] + "=" + copy.roster.Row(r)[Examinee::Score] + ";";
        }
        return result;
    };
    Run one = run(1);
    ASSERT_EQ(one.sheets.size(), 9u);
    EXPECT_EQ(one.sheets[0], "01.jpg:0/0101/ 25");
    EXPECT_EQ(one.sheets[1], "02.jpg:1//");
    EXPECT_EQ(one.sheets[3].substr(0, 7), "04.jpg:");
    EXPECT_NE(one.sheets[3].find("无法读取"), std::string::npos);
    for (int threads : {2, 4}) {
        Run many = run(threads);
        EXPECT_EQ(many.sheets, one.sheets) << threads << " threads";
        EXPECT_EQ(many.events, one.events) << threads << " threads";
        EXPECT_EQ(many.roster, one.roster) << threads << " threads";
    }
}

}  // namespace
}  // namespace quillmark
