#pragma once

// Two small helpers every operation of the tool uses: a path joined from a
// folder and a name, and a message line with one path or name in it.

#include <cstdio>
#include <string>
#include <string_view>

namespace nestora::tool {

// "<folder>/<name>"
inline std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path.push_back('/');
    path.append(name);
    return path;
}

// Prints `format` with its one "%s" filled with the text.
inline void printMessage(std::FILE* out, const char* format, std::string_view text) {
    std::fprintf(out, format, std::string(text).c_str());
}

}  // namespace nestora::tool
