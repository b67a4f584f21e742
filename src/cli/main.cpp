#include <CLI/CLI.hpp>
#include <iostream>

#include "data/program_paths.h"
#include "info_command.h"
#include "read_command.h"
#include "sheet_command.h"
#include "stats_command.h"

namespace {

std::filesystem::path ProgramFolder(const std::string& home) {
    return home.empty() ? quillmark::ProgramFolderOfExecutable() : std::filesystem::path(home);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Quillmark: marks multiple-choice answer sheets"};
    app.require_subcommand(1);
    const char* kHomeHelp = "Program folder (default: the folder of this executable)";

    std::string home;
    CLI::App* info = app.add_subcommand("info", "List the exam papers, rosters and results sets of the program folder");
    info->add_option("--home", home, kHomeHelp);

    quillmark::cli::ReadOptions read;
    std::string fixedType;
    CLI::App* readCommand = app.add_subcommand("read", "Recognise sheet images and print what was read, one JSON line each");
    readCommand->add_option("--home", home, kHomeHelp);
    readCommand->add_option("--fixed-type", fixedType, "Use this type code instead of reading the code strip");
    readCommand->add_flag("--scores", read.scores, "Also print every cell score");
    readCommand->add_option("images", read.images, "JPEG or BMP files")->required();

    quillmark::cli::SheetOptions sheet;
    CLI::App* sheetCommand = app.add_subcommand("sheet", "Write printable blank answer sheets as PDF or PNG");
    sheetCommand->add_option("--type", sheet.type, "Type code, type name (such as 100A) or all")->required();
    sheetCommand->add_option("--out", sheet.out, "FILE.pdf (one page per type) or FILE.png")->required();
    sheetCommand->add_option("--dpi", sheet.dpi, "Resolution of PNG output")->capture_default_str();

    std::string resultsName;
    CLI::App* statsCommand = app.add_subcommand("stats", "Print the statistics, ranks and question rates of a saved results set");
    statsCommand->add_option("--home", home, kHomeHelp);
    statsCommand->add_option("--results", resultsName, "Name of the results set in ChengJi")->required();

    CLI11_PARSE(app, argc, argv);

    if (info->parsed()) return quillmark::cli::RunInfo(ProgramFolder(home), std::cout);
    if (readCommand->parsed()) {
        read.programFolder = ProgramFolder(home);
        if (readCommand->count("--fixed-type") > 0) read.fixedType = fixedType;
        return quillmark::cli::RunRead(read, std::cout);
    }
    if (statsCommand->parsed()) return quillmark::cli::RunStats(ProgramFolder(home), resultsName, std::cout, std::cerr);
    if (sheetCommand->parsed()) return quillmark::cli::RunSheet(sheet, std::cout, std::cerr);
    return 0;
}
