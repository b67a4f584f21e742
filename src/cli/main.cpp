#include <CLI/CLI.hpp>
#include <iostream>

#include "data/program_paths.h"
#include "info_command.h"

int main(int argc, char** argv) {
    CLI::App app{"Quillmark: marks multiple-choice answer sheets"};
    app.require_subcommand(1);

    std::string home;
    CLI::App* info = app.add_subcommand("info", "List the exam papers, rosters and results sets of the program folder");
    info->add_option("--home", home, "Program folder (default: the folder of this executable)");

    CLI11_PARSE(app, argc, argv);

    std::filesystem::path programFolder =
        home.empty() ? quillmark::ProgramFolderOfExecutable() : std::filesystem::path(home);
    if (info->parsed()) return quillmark::cli::RunInfo(programFolder, std::cout);
    return 0;
}
