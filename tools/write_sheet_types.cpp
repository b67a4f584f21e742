// Writes the type definition (".CAR") of every built-in sheet layout into a folder:
//   write_sheet_types programfolder/DaTiKa
// The files are committed; a test checks that they still match the layouts.
#include <iostream>

#include "data/file_io.h"
#include "marking/sheet_layouts.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: write_sheet_types FOLDER\n";
        return 2;
    }
    std::filesystem::path folder = argv[1];
    for (const quillmark::SheetTypeEntry& entry : quillmark::kSheetTypes) {
        std::filesystem::path path = folder / (std::string(entry.code) + ".CAR");
        quillmark::Status status =
            quillmark::WriteGbkFile(path, quillmark::SheetDefinitionText(quillmark::LayoutOf(entry)));
        if (!status.ok()) {
            std::cerr << status.message() << "\n";
            return 1;
        }
        std::cout << path.string() << "\n";
    }
    return 0;
}
