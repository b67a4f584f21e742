#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <filesystem>

class QWidget;

// Finds the Chinese left in an English window: captions, titles, tips, menus, headers and
// the entries of choice lists. What the window shows of the user's data (names and files in
// lists and tables, typed text) is not the window's own text; a caption quoting data passes
// when each Chinese run in it also appears in that data.
class UntranslatedTexts {
public:
    // The program folder's file names count as data (paper, roster and results names).
    explicit UntranslatedTexts(const std::filesystem::path& programFolder);
    // Looks at `root` and every visible widget in it; `where` names it in the findings.
    void Look(QWidget* root, const QString& where);
    const QStringList& found() const { return found_; }

private:
    void AddData(const QString& text);
    void Check(const QString& where, const QString& what, const QString& text);

    QSet<QString> dataRuns_;
    QStringList found_;
};
