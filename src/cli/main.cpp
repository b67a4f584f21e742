#include <CLI/CLI.hpp>
#include <iostream>
#include <unistd.h>

#include "data/data_home.h"
#include "data/program_paths.h"
#include "data/save_as_name.h"
#include "export_command.h"
#include "platform/painting_application.h"
#include "info_command.h"
#include "mark_command.h"
#include "serve_command.h"
#include "read_command.h"
#include "sheet_command.h"
#include "review_command.h"
#include "stats_command.h"
#include "roster_command.h"
#include "grades_command.h"
#include "key_command.h"

namespace {

std::filesystem::path ProgramFolder(const std::string& home) {
    return home.empty() ? quillmark::ProgramFolderOfExecutable() : std::filesystem::path(home);
}

// A program folder that is not one would fail every sheet with a settings error; say so once.
bool CheckProgramFolder(const std::filesystem::path& folder, bool needsSheetTypes) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        std::cerr << "程序文件夹不存在: " << folder.string() << "\n";
        return false;
    }
    if (!needsSheetTypes) return true;
    for (const char* sub : {"DaTiKa", "sys"}) {
        if (!std::filesystem::is_directory(quillmark::ResolvePath(folder, sub), ec)) {
            std::cerr << "不是Quillmark程序文件夹（缺少 " << sub << "）: " << folder.string() << "\n";
            return false;
        }
    }
    return true;
}

bool CheckResultsName(const std::string& name) {
    if (quillmark::IsPlainFileName(name)) return true;
    std::cerr << "--results 必须是成绩文件夹中的成绩名称: \"" << name << "\"\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Quillmark: marks multiple-choice answer sheets"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "quillmark-cli " QUILLMARK_VERSION);
    const char* kHomeHelp =
        "Program folder (default: $QUILLMARK_HOME, else the folder of this executable when it holds the data, "
        "else ~/.local/share/Quillmark)";

    std::string home;
    CLI::App* info = app.add_subcommand("info", "List the exam papers, rosters and results sets of the program folder");
    info->add_option("--home", home, kHomeHelp);

    quillmark::cli::ReadOptions read;
    std::string fixedType;
    CLI::App* readCommand = app.add_subcommand("read", "Recognise sheet images and print what was read, one JSON line each");
    readCommand->add_option("--home", home, kHomeHelp);
    readCommand->add_option("--fixed-type", fixedType, "Use this type code instead of reading the code strip");
    readCommand->add_flag("--scores", read.scores, "Also print every cell score");
    readCommand->add_option("images", read.images, "Image files: JPEG, BMP, PNG, TIFF or PDF (every page a sheet)")->required();

    quillmark::cli::SheetOptions sheet;
    CLI::App* sheetCommand = app.add_subcommand("sheet", "Write printable blank answer sheets as PDF or PNG");
    sheetCommand->add_option("--home", home, kHomeHelp);
    sheetCommand->add_option("--type", sheet.type, "Type code, type name (such as 100A) or all")->required();
    sheetCommand->add_option("--out", sheet.out, "FILE.pdf (one page per type) or FILE.png")->required();
    sheetCommand->add_option("--dpi", sheet.dpi, "Resolution of PNG output")->capture_default_str();
    sheetCommand->add_option("--language", sheet.language, "Language of the printed words: zh_CN or en (the sheets read alike)")
        ->check(CLI::IsMember({"zh_CN", "en"}))
        ->capture_default_str();

    std::string resultsName;
    CLI::App* statsCommand = app.add_subcommand("stats", "Print the statistics, ranks and question rates of a saved results set");
    statsCommand->add_option("--home", home, kHomeHelp);
    statsCommand->add_option("--results", resultsName, "Name of the results set in ChengJi")->required();
    bool statsItems = false, statsJson = false;
    statsCommand->add_flag("--items", statsItems, "Print the item analysis instead: difficulty, discrimination, options, flags");
    statsCommand->add_flag("--json", statsJson, "Print the item analysis as one JSON document");

    quillmark::cli::MarkOptions mark;
    std::string markFixedType, onUnknownType, onUnknownNumber, onDuplicate, saveName;
    CLI::App* markCommand = app.add_subcommand("mark", "Mark sheet images and folders against an exam paper and a roster");
    markCommand->add_option("--home", home, kHomeHelp);
    markCommand->add_option("--paper", mark.paper, "Exam paper file in ShiJuan")->required();
    markCommand->add_option("--roster", mark.roster, "Roster file in MingCe")->required();
    markCommand->add_flag("--check-number", mark.checkNumber, "Numbers must be in the roster");
    markCommand->add_option("--fixed-type", markFixedType, "Use this type code instead of reading the code strip");
    markCommand->add_option("--threads", mark.threads, "Worker threads (default: one per core)")->check(CLI::Range(1, 256));
    markCommand->add_option("--on-unknown-type", onUnknownType, "skip, or the type code to use");
    markCommand->add_option("--on-unknown-number", onUnknownNumber, "skip, or add the number read as a new examinee")
        ->check(CLI::IsMember({"skip", "add"}));
    markCommand->add_option("--on-duplicate", onDuplicate,
                            "a sheet for an examinee who already has results: replace them, or keep them")
        ->check(CLI::IsMember({"replace", "keep"}));
    CLI::Option* saveOption = markCommand->add_option("--save", saveName, "Save the results set under this name in ChengJi");
    markCommand->add_flag("--overwrite", mark.overwrite, "Replace a results set of the same name")->needs(saveOption);
    markCommand->add_option("paths", mark.paths, "Image files and folders")->required();

    quillmark::cli::ServeOptions serve;
    CLI::App* serveCommand =
        app.add_subcommand("serve", "Serve the phone page on the local network and mark the photos phones send");
    serveCommand->add_option("--home", home, kHomeHelp);
    serveCommand->add_option("--paper", serve.paper, "Exam paper file in ShiJuan")->required();
    serveCommand->add_option("--roster", serve.roster, "Roster file in MingCe")->required();
    serveCommand->add_option("--save", serve.save, "Save the results set under this name in ChengJi as sheets arrive")->required();
    serveCommand->add_flag("--overwrite", serve.overwrite, "Replace a results set of the same name");
    serveCommand->add_option("--bind", serve.bind, "Listen on this address only (default: the LAN address)");
    serveCommand->add_option("--port", serve.port, "Port (default: 8390, or any free port when it is taken; 0: any free port)")->check(CLI::Range(0, 65535));
    serveCommand->add_option("--threads", serve.threads, "Worker threads (default: one per core)")->check(CLI::Range(1, 256));

    std::string exportOut;
    CLI::App* exportCommand = app.add_subcommand("export", "Write the spreadsheet workbook of a saved results set");
    exportCommand->add_option("--home", home, kHomeHelp);
    exportCommand->add_option("--results", resultsName, "Name of the results set in ChengJi")->required();
    exportCommand->add_option("--out", exportOut,
                              "Output file (default: ChengJi/NAME.xlsx, NAME.csv, NAME-moodle.csv or NAME-canvas.csv)");
    bool exportOverwrite = false;
    exportCommand->add_flag("--overwrite", exportOverwrite, "Replace an existing file");
    std::string exportFormat = "xlsx", exportMap;
    exportCommand->add_option("--format", exportFormat, "xlsx (workbook), csv (grades and answers), moodle or canvas (grade import)")
        ->check(CLI::IsMember({"xlsx", "csv", "moodle", "canvas"}));
    exportCommand->add_option("--map", exportMap,
                              "moodle/canvas: table (.csv or .xlsx) of examinee numbers (column \"number\") and their identities");

    quillmark::cli::ReviewOptions review;
    std::string reviewExaminee, reviewNumber;
    CLI::App* reviewCommand = app.add_subcommand("review", "List the readings of a results set still to be checked; record decisions");
    reviewCommand->add_option("--home", home, kHomeHelp);
    reviewCommand->add_option("--results", resultsName, "Name of the results set in ChengJi")->required();
    reviewCommand->add_option("--examinee", reviewExaminee, "Only this examinee's sheet (needed by --set and --number)");
    reviewCommand->add_flag("--accept", review.accept, "Keep every pending reading as it is");
    reviewCommand->add_option("--set", review.settings, "Q=DIGITS: the answer of question Q is DIGITS (e.g. 12=13, 12= for none)");
    reviewCommand->add_option("--number", reviewNumber, "The sheet belongs to the examinee with this number");

    std::string annotateExaminee, annotateOut;
    bool annotateOverwrite = false;
    CLI::App* annotateCommand = app.add_subcommand("annotate", "Draw the sheets of a results set as they were marked");
    annotateCommand->add_option("--home", home, kHomeHelp);
    annotateCommand->add_option("--results", resultsName, "Name of the results set in ChengJi")->required();
    annotateCommand->add_option("--examinee", annotateExaminee, "Only this examinee's sheet");
    annotateCommand->add_option("--out", annotateOut, "A folder for one PNG per examinee, or FILE.pdf")->required();
    annotateCommand->add_flag("--overwrite", annotateOverwrite, "Replace existing PNG or PDF files");

    quillmark::cli::RosterImportOptions rosterImport;
    std::string rosterNumberColumn, rosterNameColumn;
    CLI::App* rosterCommand = app.add_subcommand("roster", "Work on the rosters of MingCe");
    rosterCommand->require_subcommand(1);
    CLI::App* rosterImportCommand =
        rosterCommand->add_subcommand("import", "Import a class list (.xlsx, .csv, .txt) into a new roster");
    rosterImportCommand->add_option("--home", home, kHomeHelp);
    rosterImportCommand->add_option("file", rosterImport.file, "The class list: an .xlsx workbook or CSV/tab-separated text")
        ->required();
    rosterImportCommand->add_option("--number-column", rosterNumberColumn, "Column of the numbers: 1-based number or header text");
    rosterImportCommand->add_option("--name-column", rosterNameColumn, "Column of the names: 1-based number or header text");
    rosterImportCommand->add_option("--save", rosterImport.save, "Roster file name in MingCe (.TXT added without an extension)")
        ->required();
    rosterImportCommand->add_option("--fix", rosterImport.fixes, "pad,cut,strip,skip: fixes to apply")
        ->delimiter(',')
        ->check(CLI::IsMember({"pad", "cut", "strip", "skip"}));
    rosterImportCommand->add_flag("--overwrite", rosterImport.overwrite, "Replace a roster of the same name");

    std::string keyPaper, keyOut;
    bool keyExportOverwrite = false;
    quillmark::cli::KeyImportCommand keyImport;
    CLI::App* keyCommand = app.add_subcommand("key", "Exam paper keys and scores as a table");
    keyCommand->require_subcommand(1);
    CLI::App* keyExportCommand = keyCommand->add_subcommand("export", "Write a paper's keys and scores as CSV (question,answer,score)");
    keyExportCommand->add_option("--home", home, kHomeHelp);
    keyExportCommand->add_option("--paper", keyPaper, "Exam paper file in ShiJuan")->required();
    keyExportCommand->add_option("--out", keyOut, "CSV file (default: standard output)");
    keyExportCommand->add_flag("--overwrite", keyExportOverwrite, "Replace an existing file");
    CLI::App* keyImportCommand = keyCommand->add_subcommand("import", "Read keys and scores (.csv or .xlsx) into a new exam paper");
    keyImportCommand->add_option("--home", home, kHomeHelp);
    keyImportCommand->add_option("file", keyImport.file, "The table: question,answer,score (.csv or .xlsx)")->required();
    keyImportCommand->add_option("--save", keyImport.save, "Exam paper name in ShiJuan (.CHO added without an extension)")->required();
    keyImportCommand->add_option("--options", keyImport.options, "Options per question on the sheet (A..E: 5)")
        ->check(CLI::Range(1, 5))->capture_default_str();
    keyImportCommand->add_flag("--overwrite", keyImport.overwrite, "Replace a paper of the same name");

    CLI11_PARSE(app, argc, argv);

    bool needsSheetTypes = readCommand->parsed() || markCommand->parsed() || serveCommand->parsed();
    // Without --home: QUILLMARK_HOME, the executable's folder when the data lies beside it, or
    // the user's data folder (made from the installed template at the first start).
    std::string folderOrigin = quillmark::ProgramFolderOriginText(quillmark::ProgramFolderOrigin::CommandLine);
    if (home.empty()) {
        quillmark::ProgramFolderChoice choice = quillmark::ChooseProgramFolder();
        if (!choice.status.ok()) {
            std::cerr << choice.status.message() << "\n";
            return 1;
        }
        home = choice.folder.string();
        folderOrigin = quillmark::ProgramFolderOriginText(choice.origin);
    }
    if (!home.empty() && !CheckProgramFolder(home, needsSheetTypes)) return 2;
    if ((statsCommand->parsed() || exportCommand->parsed() || reviewCommand->parsed() || annotateCommand->parsed()) &&
        !CheckResultsName(resultsName))
        return 2;
    // An empty name would write into the current folder.
    if ((exportCommand->parsed() && exportCommand->count("--out") > 0 && exportOut.empty()) ||
        (keyExportCommand->parsed() && keyExportCommand->count("--out") > 0 && keyOut.empty()) ||
        (annotateCommand->parsed() && annotateOut.empty())) {
        std::cerr << "--out 不能为空\n";
        return 2;
    }

    if (info->parsed()) return quillmark::cli::RunInfo(ProgramFolder(home), folderOrigin, std::cout);
    if (readCommand->parsed()) {
        read.programFolder = ProgramFolder(home);
        if (readCommand->count("--fixed-type") > 0) read.fixedType = fixedType;
        return quillmark::cli::RunRead(read, std::cout);
    }
    if (markCommand->parsed()) {
        mark.programFolder = ProgramFolder(home);
        if (markCommand->count("--fixed-type") > 0) mark.fixedType = markFixedType;
        if (markCommand->count("--on-unknown-type") > 0) mark.onUnknownType = onUnknownType;
        if (markCommand->count("--on-unknown-number") > 0) mark.onUnknownNumber = onUnknownNumber;
        if (markCommand->count("--on-duplicate") > 0) mark.onDuplicate = onDuplicate;
        if (markCommand->count("--save") > 0) mark.save = saveName;
        mark.interactive = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
        mark.progress = isatty(STDERR_FILENO);
        return quillmark::cli::RunMark(mark, std::cin, std::cout, std::cerr);
    }
    if (serveCommand->parsed()) {
        serve.programFolder = ProgramFolder(home);
        return quillmark::cli::RunServe(serve, std::cout, std::cerr);
    }
    if (exportCommand->parsed()) {
        std::optional<std::string> out;
        if (exportCommand->count("--out") > 0) out = exportOut;
        if (exportFormat != "xlsx") {
            quillmark::cli::GradeExportCommand grades{ProgramFolder(home), resultsName, exportFormat, out, std::nullopt,
                                                      exportOverwrite};
            if (exportCommand->count("--map") > 0) grades.map = exportMap;
            return quillmark::cli::RunGradeExport(grades, std::cout, std::cerr);
        }
        if (exportCommand->count("--map") > 0) {
            std::cerr << "--map 只用于 --format moodle 或 canvas\n";
            return 2;
        }
        return quillmark::cli::RunExport(ProgramFolder(home), resultsName, out, exportOverwrite, std::cout, std::cerr);
    }
    if (statsCommand->parsed()) {
        if (statsItems || statsJson)
            return quillmark::cli::RunItemStats(ProgramFolder(home), resultsName, statsJson, std::cout, std::cerr);
        return quillmark::cli::RunStats(ProgramFolder(home), resultsName, std::cout, std::cerr);
    }
    if (reviewCommand->parsed()) {
        review.programFolder = ProgramFolder(home);
        review.results = resultsName;
        if (reviewCommand->count("--examinee") > 0) review.examinee = reviewExaminee;
        if (reviewCommand->count("--number") > 0) review.number = reviewNumber;
        return quillmark::cli::RunReview(review, std::cout, std::cerr);
    }
    if (annotateCommand->parsed()) {
        quillmark::PaintingApplication application(argc, argv);
        quillmark::cli::AnnotateOptions annotate;
        annotate.programFolder = ProgramFolder(home);
        annotate.results = resultsName;
        if (annotateCommand->count("--examinee") > 0) annotate.examinee = annotateExaminee;
        annotate.out = annotateOut;
        annotate.overwrite = annotateOverwrite;
        return quillmark::cli::RunAnnotate(annotate, std::cerr);
    }
    if (rosterImportCommand->parsed()) {
        rosterImport.programFolder = ProgramFolder(home);
        if (rosterImportCommand->count("--number-column") > 0) rosterImport.numberColumn = rosterNumberColumn;
        if (rosterImportCommand->count("--name-column") > 0) rosterImport.nameColumn = rosterNameColumn;
        return quillmark::cli::RunRosterImport(rosterImport, std::cout, std::cerr);
    }
    if (keyExportCommand->parsed()) {
        std::optional<std::string> out;
        if (keyExportCommand->count("--out") > 0) out = keyOut;
        return quillmark::cli::RunKeyExport(ProgramFolder(home), keyPaper, out, keyExportOverwrite, std::cout, std::cerr);
    }
    if (keyImportCommand->parsed()) {
        keyImport.programFolder = ProgramFolder(home);
        return quillmark::cli::RunKeyImport(keyImport, std::cout, std::cerr);
    }
    if (sheetCommand->parsed()) {
        quillmark::PaintingApplication application(argc, argv);
        return quillmark::cli::RunSheet(sheet, std::cout, std::cerr);
    }
    return 0;
}
