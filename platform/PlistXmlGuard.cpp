// The XML half of the guard. It must see the nesting libplist will build, so
// it reads markup by libplist's rules rather than by XML's: a double-quoted
// run in a processing instruction, a DOCTYPE or a tag is opaque, comments and
// CDATA sections end at the first terminator, leaf text ends at its closing
// tag, a closing tag must match the open element, and reading stops once the
// top value is complete. What libplist would refuse, and what could be read
// two ways (internal DOCTYPE subsets, NUL bytes), is refused.

#include <string>
#include <vector>

#include "platform/PlistGuard.h"

namespace nestora::plist {

namespace {

constexpr std::string_view kSpace = " \t\r\n";

bool isLeafElement(std::string_view name) {
    for (std::string_view leaf : {"key", "string", "integer", "real", "date", "data", "true", "false"}) {
        if (name == leaf) return true;
    }
    return false;
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    char current() const { return text_[pos_]; }
    void advance(std::size_t count = 1) { pos_ += count; }
    std::size_t position() const { return pos_; }
    bool startsWith(std::string_view prefix) const { return text_.substr(pos_).starts_with(prefix); }
    std::string_view from(std::size_t start) const { return text_.substr(start, pos_ - start); }
    std::size_t remaining() const { return text_.size() - pos_; }

    void skipSpace() {
        while (!atEnd() && kSpace.find(current()) != std::string_view::npos) ++pos_;
    }

    // Moves to the first of `stops`, passing over "..." runs when `quotes`.
    // False when the text ends first.
    bool findAny(std::string_view stops, bool quotes) {
        while (!atEnd()) {
            if (quotes && current() == '"' && !skipQuoted()) return false;
            if (stops.find(current()) != std::string_view::npos) return true;
            ++pos_;
        }
        return false;
    }

    // Moves past `terminator`, passing over "..." runs when `quotes`. False
    // when the text ends first.
    bool skipPast(std::string_view terminator, bool quotes) {
        while (!atEnd()) {
            if (startsWith(terminator)) {
                pos_ += terminator.size();
                return true;
            }
            if (quotes && current() == '"' && !skipQuoted()) return false;
            ++pos_;
        }
        return false;
    }

private:
    // From an opening quote to its closing one.
    bool skipQuoted() {
        const std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string_view::npos) return false;
        pos_ = close;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// After "<!" at the top level: a comment or a DOCTYPE without internal subset.
bool skipCommentOrDoctype(Reader& in) {
    if (in.remaining() > 3 && in.startsWith("!--")) {
        in.advance(3);
        return in.skipPast("-->", false);
    }
    if (in.remaining() > 8 && in.startsWith("!DOCTYPE")) {
        in.advance(8);
        for (;;) {
            if (!in.findAny(" \t\r\n[>", true)) return false;
            if (in.current() == '[') return false;  // an internal subset: refused
            if (in.current() == '>') {
                in.advance();
                return true;
            }
            in.skipSpace();
        }
    }
    return false;
}

// The text of a leaf element up to and past its closing tag; comments and
// CDATA sections may stand in it, nothing else.
bool skipLeafText(Reader& in, std::string_view name) {
    for (;;) {
        if (!in.findAny("<", false)) return false;
        in.advance();
        if (in.atEnd()) return false;
        if (in.current() == '/') break;
        if (in.current() != '!' || in.remaining() < 3) return false;
        in.advance();
        if (in.startsWith("--")) {
            in.advance(2);
            if (!in.skipPast("-->", false)) return false;
        } else if (in.startsWith("[CDATA[") && in.remaining() > 9) {
            in.advance(7);
            if (!in.skipPast("]]>", false)) return false;
        } else {
            return false;
        }
    }
    in.advance();  // the "/"
    if (!in.startsWith(name) || in.remaining() <= name.size()) return false;
    in.advance(name.size());
    in.skipSpace();
    if (in.atEnd() || in.current() != '>') return false;
    in.advance();
    return true;
}

}  // namespace

bool xmlWithinLimits(std::string_view text, std::size_t maxDepth) {
    if (text.find('\0') != std::string_view::npos) return false;
    Reader in(text);
    // The open elements: "plist", "array", "dict". An empty container at the
    // top stays open for what follows without a name on the path, as in
    // libplist, so it counts in `containers` alone.
    std::vector<std::string_view> path;
    std::size_t containers = 0;
    std::uint64_t objects = 0;  // values and keys: each becomes a node
    bool started = false;       // the top value has begun
    for (;;) {
        in.skipSpace();
        if (in.atEnd()) return true;
        if (in.current() != '<') return false;
        in.advance();
        if (in.atEnd()) return false;
        if (in.current() == '?') {
            if (!in.skipPast("?>", true)) return false;
            continue;
        }
        if (in.current() == '!') {
            if (!skipCommentOrDoctype(in)) return false;
            continue;
        }
        const std::size_t nameStart = in.position();
        if (!in.findAny(" \r\n\t<>", false)) return false;
        std::string_view name = in.from(nameStart);
        if (in.current() != '>' && !in.findAny("<>", true)) return false;
        if (in.current() != '>') return false;
        const bool empty = text[in.position() - 1] == '/';
        if (empty && nameStart + name.size() == in.position()) name.remove_suffix(1);  // "<array/>"
        in.advance();

        if (name == "plist") {
            if ((path.empty() && started) || empty) return false;
            path.push_back(name);
        } else if (name.starts_with('/')) {
            name.remove_prefix(1);
            if (path.empty() || path.back() != name) return false;
            path.pop_back();
            if (name != "plist" && --containers == 0) return true;  // the top value is complete
        } else if (name == "array" || name == "dict") {
            if (++objects > kMaxExpandedObjects) return false;
            const bool top = !started;
            started = true;
            if (!empty) {
                path.push_back(name);
                ++containers;
            } else if (top) {
                ++containers;
            } else if (containers + 1 > maxDepth) {
                return false;  // an empty container is one level more all the same
            }
        } else if (isLeafElement(name)) {
            if (++objects > kMaxExpandedObjects) return false;
            const bool top = !started;
            started = true;
            if (!empty && !skipLeafText(in, name)) return false;
            if (top) return true;  // a lone value is the whole list
        } else {
            return false;
        }
        if (containers > maxDepth || path.size() > maxDepth + 1) return false;
    }
}

}  // namespace nestora::plist
