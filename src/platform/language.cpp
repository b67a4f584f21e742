#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include "data/ui_text.h"

namespace quillmark {
namespace {

constexpr char kSettingsKey[] = "window/language";
Language installed = Language::Chinese;

std::string TranslateWithQt(const char* context, const char* text) {
    return QCoreApplication::translate(context, text).toStdString();
}

QSettings UserSettings() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillmark", "Quillmark"); }

// The translator installed last, replaced when the language changes (tests switch it).
QTranslator* current = nullptr;

bool Install(QCoreApplication& app, const QString& name, const QString& folder) {
    if (current) {
        QCoreApplication::removeTranslator(current);
        delete current;
        current = nullptr;
    }
    auto* translator = new QTranslator(&app);
    if (translator->load(name, folder) && QCoreApplication::installTranslator(translator)) {
        current = translator;
        return true;
    }
    delete translator;
    return false;
}

}  // namespace

std::string LanguageCode(Language language) { return language == Language::English ? "en" : "zh_CN"; }

std::optional<Language> LanguageFromCode(std::string_view code) {
    if (code == "en" || code.starts_with("en_")) return Language::English;
    if (code == "zh" || code.starts_with("zh_")) return Language::Chinese;
    return std::nullopt;
}

std::string LanguageName(Language language) { return language == Language::English ? "English" : "中文"; }

Language LanguageOfLocale(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName.starts_with("C.") || localeName == "POSIX" ||
        localeName.starts_with("zh"))
        return Language::Chinese;
    return Language::English;
}

Language ChosenLanguage() {
    if (auto fromEnvironment = LanguageFromCode(qEnvironmentVariable("QUILLMARK_LANGUAGE").toStdString()))
        return *fromEnvironment;
    if (auto remembered = LanguageFromCode(UserSettings().value(kSettingsKey).toString().toStdString()))
        return *remembered;
    // The language messages are read in, by the precedence the C library gives these variables.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) return LanguageOfLocale(value.toStdString());
    }
    return Language::Chinese;
}

bool RememberLanguage(Language language) {
    QSettings settings = UserSettings();
    settings.setValue(kSettingsKey, QString::fromStdString(LanguageCode(language)));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool InstallLanguage(QCoreApplication& app, Language language) {
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language == Language::Chinese) {
        installed = Language::Chinese;
        SetUiTranslator(nullptr);
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        return Install(app, "qtbase_zh_CN", qtFolder);
    }
    // Qt's own texts are written in English: only ours need a translation.
    if (!Install(app, "quillmark_en", ":/i18n")) return false;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    installed = Language::English;
    SetUiTranslator(&TranslateWithQt);
    return true;
}

Language InstalledLanguage() { return installed; }

}  // namespace quillmark
