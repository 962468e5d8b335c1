#include "tests/support/SyscallLog.h"

#include <cstdlib>
#include <fstream>
#include <map>

namespace nestora::test {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "\x41\x42" (the text between the quotes or brackets) decoded.
std::string decodeEscapes(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0 &&
            hexValue(text[i + 3]) >= 0) {
            bytes.push_back(static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3])));
            i += 3;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

// The arguments between the call's parentheses, split at top-level commas.
std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            current.push_back(c);
            if (c == '\\' && i + 1 < text.size()) {
                current.push_back(text[++i]);
            } else if (c == '"') {
                quoted = false;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == '[' || c == '{' || c == '<' || c == '(') {
            ++depth;
        } else if (c == ']' || c == '}' || c == '>' || c == ')') {
            --depth;
        } else if (c == ',' && depth == 0) {
            arguments.push_back(current);
            current.clear();
            if (i + 1 < text.size() && text[i + 1] == ' ') ++i;
            continue;
        }
        current.push_back(c);
    }
    if (!current.empty()) arguments.push_back(current);
    return arguments;
}

// A finished line "name(arguments) = result" into the entry.
bool parseCall(std::string_view text, SyscallEntry& entry) {
    const auto open = text.find('(');
    const auto close = text.rfind(") = ");
    if (open == std::string_view::npos || open == 0 || close == std::string_view::npos || close < open) return false;
    entry.name = std::string(text.substr(0, open));
    entry.arguments = splitArguments(text.substr(open + 1, close - open - 1));
    entry.result = std::string(text.substr(close + 4));
    return true;
}

}  // namespace

std::vector<SyscallEntry> readSyscallLog(const std::string& logPath, bool withPids) {
    std::vector<SyscallEntry> entries;
    std::map<int, std::string> unfinished;  // pid -> the start of its call
    std::ifstream log(logPath);
    static constexpr std::string_view kUnfinished = " <unfinished ...>";
    for (std::string line; std::getline(log, line);) {
        std::string_view rest = line;
        int pid = 0;
        if (withPids) {
            const auto space = rest.find(' ');
            if (space == std::string_view::npos) continue;
            pid = std::atoi(std::string(rest.substr(0, space)).c_str());
            rest.remove_prefix(space + 1);
            while (rest.starts_with(' ')) rest.remove_prefix(1);
        }
        std::string joined;
        if (rest.ends_with(kUnfinished)) {
            rest.remove_suffix(kUnfinished.size());
            unfinished[pid] = std::string(rest);
            continue;
        }
        if (rest.starts_with("<... ")) {
            const auto resumed = rest.find(" resumed>");
            const auto start = unfinished.find(pid);
            if (resumed == std::string_view::npos || start == unfinished.end()) continue;
            std::string_view tail = rest.substr(resumed + 9);
            while (tail.starts_with(' ')) tail.remove_prefix(1);
            joined = start->second;
            if (!tail.starts_with(')') && !joined.ends_with('(')) joined += ", ";
            joined += tail;
            unfinished.erase(start);
            rest = joined;
        }
        SyscallEntry entry;
        entry.pid = pid;
        if (parseCall(rest, entry)) entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::string> quotedBytes(std::string_view argument) {
    if (argument.size() < 2 || argument.front() != '"') return std::nullopt;
    const auto end = argument.rfind('"');
    if (end == 0) return std::nullopt;
    return decodeEscapes(argument.substr(1, end - 1));
}

std::optional<std::string> descriptorPath(std::string_view argument) {
    const auto open = argument.find('<');
    const auto close = argument.rfind('>');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
    return decodeEscapes(argument.substr(open + 1, close - open - 1));
}

std::optional<long long> leadingNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    const long long value = std::strtoll(copy.c_str(), &end, 0);
    if (end == copy.c_str()) return std::nullopt;
    return value;
}

bool succeeded(const SyscallEntry& entry) { return !entry.result.starts_with("-1"); }

}  // namespace nestora::test
