#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "support/temp_folder.h"

namespace quillmark {
namespace {

using Json = nlohmann::json;

struct Outcome {
    int status = 0;
    std::string out, err;
};

// The installed program folder with the sample sheets marked and saved as 期中 (records 0101,
// 0102, 0103, 0104, 0199, 0105 in that order).
class ResultsCommands : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(QUILLMARK_PROGRAM_FOLDER_SOURCE, home.path(), std::filesystem::copy_options::recursive);
        ASSERT_EQ(Cli(Mark("期中")).status, 0);
    }
    std::string Mark(const std::string& save) const {
        return "mark --home " + home.path().string() + " --paper 示例试卷.CHO --roster 示例名册.TXT --threads 1 --save " +
               save + " " + (home.path() / "sample").string();
    }
    std::string On(const std::string& command) const {
        return command + " --home " + home.path().string() + " --results 期中 ";
    }
    std::string In(const std::string& relative) const { return (home.path() / relative).string(); }

    // Started at once, waited for by Finish.
    std::pair<FILE*, std::string> Start(const std::string& arguments, const std::string& shell = "") {
        std::string err = (logs.path() / std::to_string(++runs)).string();
        return {popen((shell + QUILLMARK_CLI_PATH + " " + arguments + " 2>" + err + " </dev/null").c_str(), "r"), err};
    }
    static Outcome Finish(const std::pair<FILE*, std::string>& run) {
        Outcome outcome;
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, run.first)) > 0;) outcome.out.append(buffer, n);
        outcome.status = WEXITSTATUS(pclose(run.first));
        std::ifstream in(run.second);
        outcome.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return outcome;
    }
    Outcome Cli(const std::string& arguments, const std::string& shell = "") { return Finish(Start(arguments, shell)); }

    // The review file's records, and back.
    std::vector<Json> Records() const {
        std::vector<Json> records;
        std::istringstream lines(home.ReadBytes("ChengJi/期中.REV"));
        for (std::string line; std::getline(lines, line);) {
            if (line[0] == '{') records.push_back(Json::parse(line));
        }
        return records;
    }
    void Write(const std::vector<Json>& records) const {
        std::string text = "quillmark review 1\n";
        for (const Json& record : records) text += record.dump() + "\n";
        home.WriteBytes("ChengJi/期中.REV", text);
    }
    std::set<std::string> Files(const std::string& folder) const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(In(folder))) names.insert(entry.path().filename().string());
        return names;
    }

    test::TempFolder home, logs;
    int runs = 0;
};

TEST_F(ResultsCommands, AnnotateNamesFilesOnlyByCheckedNumbers) {
    std::vector<Json> records = Records();
    for (const std::string& number : {In("victim"), std::string("../../x"), std::string(""), std::string("01\n02"),
                                      std::string("0101")}) {
        records.push_back(records.front());
        records.back()["examinee"] = number;
    }
    Write(records);
    Outcome run = Cli(On("annotate") + "--out " + In("a/b/png"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Files("a/b/png"), (std::set<std::string>{"0101.png", "0102.png", "0103.png", "0104.png", "0105.png",
                                                             "0199.png"}));
    EXPECT_EQ(Files("a"), std::set<std::string>{"b"});
    EXPECT_FALSE(std::filesystem::exists(In("victim.png")));
    EXPECT_NE(run.err.find("第11条阅卷记录（考号“0101”）已跳过"), std::string::npos) << run.err;
}

// As export: refused before anything is drawn, replaced only when asked, never left half-written.
TEST_F(ResultsCommands, AnnotateOutputFollowsTheExportRules) {
    EXPECT_EQ(Cli(On("annotate") + "--out ''").status, 2);
    home.WriteBytes("sheets.pdf", "mine");
    EXPECT_EQ(Cli(On("annotate") + "--out " + In("sheets.pdf")).status, 1);
    EXPECT_EQ(home.ReadBytes("sheets.pdf"), "mine");
    ASSERT_EQ(Cli(On("annotate") + "--out " + In("sheets.pdf") + " --overwrite").status, 0);
    std::string pdf = home.ReadBytes("sheets.pdf");
    EXPECT_EQ(pdf.substr(0, 4) + pdf.substr(pdf.find_last_not_of("\r\n") - 4, 5), "%PDF%%EOF");

    home.WriteBytes("png/0102.png", "mine");
    EXPECT_EQ(Cli(On("annotate") + "--out " + In("png")).status, 1);
    EXPECT_EQ(Files("png"), std::set<std::string>{"0102.png"});
    EXPECT_EQ(Cli(On("annotate") + "--out " + In("png") + " --overwrite").status, 0);
    EXPECT_EQ(home.ReadBytes("png/0102.png").substr(1, 3), "PNG");

    // A disk that fills up: writes fail past 16 KB.
    const std::string full = "trap '' XFSZ; ulimit -f 16; ";
    std::filesystem::create_directories(In("disk"));
    Outcome failed = Cli(On("annotate") + "--out " + In("disk/s.pdf"), full);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("s.pdf"), std::string::npos) << failed.err;
    EXPECT_EQ(Cli(On("annotate") + "--out " + In("disk/png"), full).status, 1);
    EXPECT_EQ(Files("disk"), std::set<std::string>{"png"});
    EXPECT_TRUE(Files("disk/png").empty());
}

TEST_F(ResultsCommands, ReviewDecisionsTakenAtOnceAllLand) {
    const std::vector<std::string> numbers = {"0101", "0102", "0103", "0104"};
    for (int round = 1; round <= 4; ++round) {
        std::string answer = std::to_string(round);
        std::vector<std::pair<FILE*, std::string>> started;
        for (const std::string& number : numbers) started.push_back(Start(On("review") + "--examinee " + number + " --set 1=" + answer));
        for (const auto& run : started) EXPECT_EQ(Finish(run).status, 0);
        std::vector<Json> records = Records();
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            EXPECT_EQ(records.at(i)["decisions"].value("1", ""), answer) << numbers[i] << " in round " << round;
        }
    }
}

TEST_F(ResultsCommands, MarkRunsSavingOneNewNameAtOnceKeepBothBatches) {
    for (int round = 1; round <= 3; ++round) {
        std::string name = "批" + std::to_string(round);
        // Each marks the sample twice, so both are marking when either saves.
        std::string twice = " --on-duplicate replace " + In("sample");
        auto first = Start(Mark(name) + twice);
        auto second = Start(Mark(name) + twice);
        Outcome runs[2] = {Finish(first), Finish(second)};
        EXPECT_EQ(runs[0].status + runs[1].status, 1) << runs[0].err << runs[1].err;
        EXPECT_NE((runs[0].err + runs[1].err).find("另存为“" + name + "-2”"), std::string::npos);
        for (const std::string& set : {name, name + "-2"}) {
            EXPECT_NE(Cli("stats --home " + home.path().string() + " --results " + set).out.find("参考人数\n 6\n"),
                      std::string::npos) << set;
        }
    }
}

// A bad record holds up nobody else; a review file that was not read is never saved over.
TEST_F(ResultsCommands, ReviewSkipsUnusableRecordsAndKeepsAnUnreadFile) {
    std::vector<Json> records = Records();
    records[0]["doubtful"] = records[1]["doubtful"] = {1};
    records[2]["doubtful"] = {500};
    records.push_back(records[1]);
    records.back()["examinee"] = "0999";
    Write(records);
    Outcome accepted = Cli(On("review") + "--accept");
    EXPECT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_NE(accepted.err.find("（考号“0999”）已跳过：名册中没有"), std::string::npos) << accepted.err;
    EXPECT_NE(accepted.err.find("（考号“0103”）已跳过：存疑的第500题"), std::string::npos);
    records = Records();
    EXPECT_EQ(records.at(0)["decisions"].value("1", ""), "2");  // the answer read, kept
    EXPECT_EQ(records.at(1)["decisions"].size(), 1u);
    EXPECT_TRUE(records.at(6)["decisions"].empty());

    const std::uintmax_t large = (std::uintmax_t{64} << 20) + 1;
    std::filesystem::resize_file(In("ChengJi/期中.REV"), large);
    Outcome stats = Cli(On("stats"));
    EXPECT_EQ(stats.status, 0);
    EXPECT_EQ(stats.err, "");
    EXPECT_NE(Cli(On("review")).err.find("超过64 MB"), std::string::npos);
    EXPECT_EQ(Cli(On("review") + "--accept").status, 1);
    EXPECT_EQ(std::filesystem::file_size(In("ChengJi/期中.REV")), large);
}

TEST_F(ResultsCommands, NamesHelpAndFiguresSayWhatTheyAre) {
    EXPECT_EQ(Cli(Mark("a:b")).status, 2);
    EXPECT_EQ(Cli(On("export") + "--out ''").status, 2);
    EXPECT_NE(Cli("read --help").out.find("PNG, TIFF or PDF"), std::string::npos);
    EXPECT_NE(Cli(On("stats")).out.find("试题：\n（得分率只计与标准答案完全相同的答案"), std::string::npos);
    EXPECT_NE(Cli(On("stats") + "--items").out.find("项目：\n（难度p按评分规则计"), std::string::npos);
}

}  // namespace
}  // namespace quillmark
