#include <QCoreApplication>
#include <QSettings>
#include <cstdlib>
#include <gtest/gtest.h>

#include "data/ui_text.h"
#include "platform/language.h"
#include "support/temp_folder.h"

namespace quillmark {
namespace {

TEST(Language, LocalesChooseTheWindowsLanguage) {
    for (const char* chinese : {"zh_CN.UTF-8", "zh_TW", "zh", "C", "C.UTF-8", "POSIX", ""})
        EXPECT_EQ(LanguageOfLocale(chinese), Language::Chinese) << chinese;
    for (const char* other : {"en_US.UTF-8", "en_GB", "de_DE.UTF-8", "fr"})
        EXPECT_EQ(LanguageOfLocale(other), Language::English) << other;
    EXPECT_EQ(LanguageFromCode("en"), Language::English);
    EXPECT_EQ(LanguageFromCode(LanguageCode(Language::Chinese)), Language::Chinese);
    EXPECT_FALSE(LanguageFromCode("fr").has_value());
    EXPECT_FALSE(LanguageFromCode("").has_value());
}

TEST(Language, TheEnvironmentThenTheRememberedChoiceThenTheLocale) {
    test::TempFolder folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.path().string()));
    for (const char* name : {"QUILLMARK_LANGUAGE", "LC_ALL", "LC_MESSAGES"}) unsetenv(name);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(ChosenLanguage(), Language::English);
    setenv("LC_MESSAGES", "zh_CN.UTF-8", 1);
    EXPECT_EQ(ChosenLanguage(), Language::Chinese);
    ASSERT_TRUE(RememberLanguage(Language::English));
    EXPECT_EQ(ChosenLanguage(), Language::English);
    setenv("QUILLMARK_LANGUAGE", "zh_CN", 1);
    EXPECT_EQ(ChosenLanguage(), Language::Chinese);
    unsetenv("QUILLMARK_LANGUAGE");
}

TEST(Language, TheBuiltInTranslationReplacesTheChineseAndChineseComesBack) {
    ASSERT_TRUE(InstallLanguage(*QCoreApplication::instance(), Language::English));
    EXPECT_EQ(UiText("MarkingPage", "停止"), "Stop");
    EXPECT_EQ(UiText("MarkingPage", "不在译文中的文字"), "不在译文中的文字");
    EXPECT_EQ(FillForm(UiText("MarkingPage", "已阅 %1 张，未阅 %2 张"), {"5", "2"}), "Marked: 5, not marked: 2");
    InstallLanguage(*QCoreApplication::instance(), Language::Chinese);
    EXPECT_EQ(UiText("MarkingPage", "停止"), "停止");
}

TEST(FillForm, PlacesValuesWhereTheFormSays) {
    EXPECT_EQ(FillForm("%2 of %1", {"20", "3"}), "3 of 20");
    EXPECT_EQ(FillForm("第%1题%1", {"7"}), "第7题7");
    // A % that names no value given stays as written.
    EXPECT_EQ(FillForm("100% %3 %", {"a", "b"}), "100% %3 %");
    EXPECT_EQ(FillForm("%1", {"%2"}), "%2");
}

}  // namespace
}  // namespace quillmark
