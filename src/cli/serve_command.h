#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace quillmark::cli {

struct ServeOptions {
    std::filesystem::path programFolder;
    std::string paper;
    std::string roster;
    std::string save;
    std::string bind;  // empty: the LAN address
    int port = 8390;   // 0: any free port; the usual one falls back to any when taken
    int threads = 0;
    bool overwrite = false;
};

// Serves the phone page until interrupted (SIGINT, SIGTERM): marks the photos phones send,
// saving the results set after every sheet. The first output line is the page's address.
int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quillmark::cli
