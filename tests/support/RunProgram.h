#pragma once

#include <string>
#include <vector>

namespace nestora::test {

struct RunResult {
    int exitStatus = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program (argv[0] is its path) with the current environment plus
// `extraEnvironment` ("NAME=value"), no standard input, and collects both
// output streams.
RunResult runProgram(const std::vector<std::string>& argv,
                     const std::vector<std::string>& extraEnvironment = {});

}  // namespace nestora::test
