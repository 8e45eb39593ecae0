// The page's files, built into the program so that it needs nothing beside itself.
#pragma once

#include <string_view>

namespace board {

struct PageFile {
    std::string_view path; // as requested, e.g. "/board.js"
    std::string_view contentType;
    std::string_view body;
};

// The file served at path, or nullptr.
const PageFile* FindPageFile(std::string_view path);

} // namespace board
