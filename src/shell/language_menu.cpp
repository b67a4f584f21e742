#include "language_menu.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "data/prompt.h"
#include "data/ui_text.h"
#include "platform/language.h"

namespace quillmark {

void AddLanguageMenu(QMenuBar* bar, Prompt& prompt) {
    QMenu* menu = bar->addMenu(QString::fromStdString(UiText("LanguageMenu", "语言(&L)")));
    menu->setObjectName("Mnu_Language");
    auto* group = new QActionGroup(menu);
    for (Language language : {Language::Chinese, Language::English}) {
        QAction* action = menu->addAction(QString::fromStdString(LanguageName(language)));
        action->setObjectName(QString::fromStdString("Mnu_Language_" + LanguageCode(language)));
        action->setCheckable(true);
        action->setChecked(language == InstalledLanguage());
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [language, &prompt] {
            if (language == InstalledLanguage()) return;
            if (!RememberLanguage(language)) {
                prompt.ShowMessage(UiText("LanguageMenu", "无法保存语言设置。"), "");
                return;
            }
            prompt.ShowMessage(UiText("LanguageMenu", "下次启动 Quillmark 时将使用所选的语言。"), "");
        });
    }
}

}  // namespace quillmark
