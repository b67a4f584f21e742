#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "shell/main_window.h"
#include "support/modal_answerer.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

// The results page's grade files: the menu beside 输出到EXCEL offers the default file of each
// kind in ChengJi and writes the one chosen.
TEST(GradeExportMenu, EachKindOffersItsDefaultAndWritesTheChosenFile) {
    test::TempFolder folder;
    folder.MakeProgramFolders();
    folder.WriteBytes("ShiJuan/p.CHO", test::Gbk("[MAIN]\r\n总题数= 1\r\n分值= 2\r\n[考题内容]\r\n1DA=1\r\n1Z=4\r\n"));
    folder.WriteBytes("MingCe/r.TXT", "0101,A,,,,,\r\n0102,B,,,,,\r\n");
    MainWindow window(folder.path());
    window.show();
    for (const char* combo : {"Comb试卷", "Comb名册"}) {
        auto* box = window.findChild<QComboBox*>(combo);
        ASSERT_NE(box, nullptr) << combo;
        box->setCurrentIndex(1);
        emit box->activated(1);
    }
    window.session().Records().roster.Row(1)[Examinee::Score] = " 4";
    window.SelectPage(3);

    auto* button = window.findChild<QPushButton*>("exportGrades");
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->menu(), nullptr);
    test::ModalAnswerer answerer;
    const char* kinds[][2] = {{"exportCsv", "p.csv"}, {"exportMoodle", "p-moodle.csv"}, {"exportCanvas", "p-canvas.csv"}};
    for (auto [name, file] : kinds) {
        auto* action = button->menu()->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        answerer.texts.clear();
        answerer.SetFile({});
        action->trigger();  // cancelled: nothing written
        std::filesystem::path offered = folder.path() / "ChengJi" / file;
        EXPECT_EQ(answerer.texts, QStringList{QString::fromStdString(offered.string())}) << name;
        EXPECT_FALSE(std::filesystem::exists(offered)) << name;
    }
    std::filesystem::path chosen = folder.path() / "moodle.csv";
    answerer.SetFile(QString::fromStdString(chosen.string()));
    button->menu()->findChild<QAction*>("exportMoodle")->trigger();
    EXPECT_EQ(folder.ReadBytes("moodle.csv"), "idnumber,p\r\n0101,4\r\n");
    EXPECT_TRUE(answerer.texts.join("|").contains("成绩已导出到")) << answerer.texts.join("|").toStdString();
}

}  // namespace
}  // namespace quillmark
