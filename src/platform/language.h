#pragma once

#include <optional>
#include <string>
#include <string_view>

class QCoreApplication;

namespace quillmark {

// The languages the window speaks. Chinese is the one the texts are written in.
enum class Language { Chinese, English };

// "zh_CN" and "en", as the choice is remembered and QUILLMARK_LANGUAGE names it.
std::string LanguageCode(Language language);
std::optional<Language> LanguageFromCode(std::string_view code);
// How the choice is offered: each language in its own words.
std::string LanguageName(Language language);

// The language a system locale's user reads: Chinese for Chinese and for the plain "C"
// locale (the window as it always was), English for any other.
Language LanguageOfLocale(std::string_view localeName);

// QUILLMARK_LANGUAGE if set, else the user's remembered choice, else the system locale's.
Language ChosenLanguage();
// Remembered per user, for the next start.
bool RememberLanguage(Language language);

// Makes `language` the program's: its texts, Qt's own dialogs and buttons, and the locale
// that dates and numbers follow. False when a translation could not be loaded (the texts
// then stay Chinese).
bool InstallLanguage(QCoreApplication& app, Language language);
Language InstalledLanguage();

}  // namespace quillmark
