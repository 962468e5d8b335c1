#include "hide/HiddenIconsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "hide/HiddenIcons.h"
#include "platform/DeviceRoot.h"
#include "platform/Files.h"
#include "platform/Plist.h"

namespace nestora::hide {

namespace {

constexpr std::string_view kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<!-- generation ";
constexpr std::size_t kGenerationDigits = 16;
constexpr std::string_view kHeadEnd = " -->\n<array>\n";
constexpr std::string_view kEntryStart = "\t<string>";
constexpr std::string_view kEntryEnd = "</string>\n";
constexpr std::string_view kTail = "</array>\n</plist>\n";
// The least padding a list is written with: room for a couple of hundred
// hides before it is written anew.
constexpr std::size_t kMinSpare = 16 * 1024;

std::string generationText(std::uint64_t generation) {
    char digits[kGenerationDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(generation));
    return std::string(digits, kGenerationDigits);
}

std::optional<std::uint64_t> parseGeneration(std::string_view digits) {
    if (digits.size() != kGenerationDigits) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

bool holdsControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

// The text of an entry as this file writes it; none for anything else.
std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<' || text[i] == '>') return std::nullopt;
        if (text[i] != '&') {
            out.push_back(text[i]);
            continue;
        }
        const std::string_view rest = text.substr(i);
        if (rest.starts_with("&amp;")) {
            out.push_back('&');
            i += 4;
        } else if (rest.starts_with("&lt;")) {
            out.push_back('<');
            i += 3;
        } else if (rest.starts_with("&gt;")) {
            out.push_back('>');
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::string entryLine(std::string_view path) {
    return std::string(kEntryStart) + escaped(path) + std::string(kEntryEnd);
}

bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\n'; });
}

bool preadAll(int fd, std::string& bytes, std::size_t size) {
    bytes.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool pwriteAll(int fd, std::string_view bytes, std::size_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::size_t>(n);
    }
    return true;
}

// The paths of a list in any form a property-list reader takes (the text
// entries of an array, in order); empty for anything else.
std::vector<std::string> pathsOfAnyList(std::string_view bytes) {
    std::vector<std::string> paths;
    const auto value = bytes.empty() ? std::nullopt : plist::parse(bytes);
    if (!value || !value->isArray()) return paths;
    for (const plist::Value& entry : *value->array()) {
        const std::string* path = entry.string();
        if (path != nullptr && !holdsControlCharacter(*path) &&
            std::find(paths.begin(), paths.end(), *path) == paths.end()) {
            paths.push_back(*path);
        }
    }
    return paths;
}

}  // namespace

std::optional<ListInLayout> readListInLayout(std::string_view bytes) {
    const std::size_t entriesStart = kHead.size() + kGenerationDigits + kHeadEnd.size();
    if (!bytes.starts_with(kHead) || bytes.size() < entriesStart ||
        bytes.substr(kHead.size() + kGenerationDigits, kHeadEnd.size()) != kHeadEnd) {
        return std::nullopt;
    }
    ListInLayout list;
    // A torn write over hex digits leaves hex digits: any generation will do.
    list.generation = parseGeneration(bytes.substr(kHead.size(), kGenerationDigits)).value_or(0);
    std::size_t at = entriesStart;
    bool closed = false;
    while (at < bytes.size()) {
        const std::string_view rest = bytes.substr(at);
        if (!closed && rest.starts_with(kTail) && isBlank(rest.substr(kTail.size()))) {
            list.tail = at;
            closed = true;
            break;
        }
        const auto newline = rest.find('\n');
        const std::string_view line = rest.substr(0, newline == std::string_view::npos ? rest.size() : newline + 1);
        std::optional<std::string> path;
        if (line.starts_with(kEntryStart) && line.ends_with(kEntryEnd)) {
            path = unescaped(line.substr(kEntryStart.size(), line.size() - kEntryStart.size() - kEntryEnd.size()));
        }
        if (path && !holdsControlCharacter(*path)) {
            list.entries.insert_or_assign(std::move(*path), ListInLayout::Line{at, line.size()});
        } else if (!isBlank(line)) {
            // What a change cut off by a power cut leaves: an entry half
            // blanked, or half written over the closing tags. The change never
            // returned, so the line counts as neither old nor new; the list is
            // written anew before it is changed again.
            list.torn = true;
        }
        at += line.size();
    }
    if (!closed) list.torn = true;
    return list;
}

std::vector<std::string> hiddenPathsOfList(std::string_view bytes) {
    const std::optional<ListInLayout> list = readListInLayout(bytes);
    if (!list) return pathsOfAnyList(bytes);
    std::vector<std::pair<std::size_t, std::string>> byOffset;
    for (const auto& [path, line] : list->entries) byOffset.emplace_back(line.offset, path);
    std::sort(byOffset.begin(), byOffset.end());
    std::vector<std::string> paths;
    paths.reserve(byOffset.size());
    for (auto& [offset, path] : byOffset) paths.push_back(std::move(path));
    return paths;
}

std::string hiddenIconsFileBytes(const std::vector<std::string>& paths, std::uint64_t generation, std::size_t spare) {
    std::string bytes(kHead);
    bytes += generationText(generation);
    bytes += kHeadEnd;
    for (const std::string& path : paths) bytes += entryLine(path);
    bytes += kTail;
    bytes.append(std::max(spare, kMinSpare) - 1, ' ');
    bytes.push_back('\n');
    return bytes;
}

bool HiddenIconsFile::load() {
    entries_.clear();
    struct stat st {};
    std::string bytes;
    if (::fstat(fd_.get(), &st) != 0 || !preadAll(fd_.get(), bytes, static_cast<std::size_t>(st.st_size))) {
        return false;
    }
    std::optional<ListInLayout> list = readListInLayout(bytes);
    if (!list || list->torn) {
        // Someone else's list (or none, or a damaged one), or one a power cut
        // tore mid-change: what a reader takes from it, written anew in this
        // layout.
        return rewrite(hiddenPathsOfList(bytes), 0);
    }
    generation_ = list->generation;
    tail_ = list->tail;
    capacity_ = bytes.size();
    for (auto& [path, entry] : list->entries) entries_.insert_or_assign(std::move(path), Entry{entry.offset, entry.length});
    return true;
}

bool HiddenIconsFile::rewrite(const std::vector<std::string>& paths, std::size_t spare) {
    // Room for as many bytes again as the list holds: written anew once per
    // as many changes.
    std::size_t size = 0;
    for (const std::string& path : paths) size += entryLine(path).size();
    const std::string bytes = hiddenIconsFileBytes(paths, generation_ + 1, std::max(spare, size));
    if (!files::writeFileAtomically(kHiddenIconsPath, bytes, 0644)) return false;
    // Others waiting for the old file find it replaced; this process takes
    // the new one (locked before the old one's lock goes with its descriptor).
    platform::UniqueFd fresh(::open(platform::hostPath(kHiddenIconsPath).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!fresh || ::flock(fresh.get(), LOCK_EX) != 0) return false;
    fd_ = std::move(fresh);
    return load();
}

std::vector<std::string> HiddenIconsFile::pathsInOrder() const {
    std::vector<std::pair<std::size_t, const std::string*>> byOffset;
    byOffset.reserve(entries_.size());
    for (const auto& [path, entry] : entries_) byOffset.emplace_back(entry.offset, &path);
    std::sort(byOffset.begin(), byOffset.end());
    std::vector<std::string> paths;
    paths.reserve(byOffset.size());
    for (const auto& [offset, path] : byOffset) paths.push_back(*path);
    return paths;
}

std::optional<std::uint64_t> HiddenIconsFile::generationOnDisk() const {
    std::string digits(kGenerationDigits, '\0');
    const ssize_t n = ::pread(fd_.get(), digits.data(), digits.size(), static_cast<off_t>(kHead.size()));
    if (n != static_cast<ssize_t>(digits.size())) return std::nullopt;
    return parseGeneration(digits);
}

bool HiddenIconsFile::lockCurrent() {
    const std::string host = platform::hostPath(kHiddenIconsPath);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (!fd_) {
            // The folders of the file, outermost first; existing ones simply fail.
            const std::string_view file = kHiddenIconsPath;
            for (std::size_t slash = file.find('/', 1); slash != std::string_view::npos;
                 slash = file.find('/', slash + 1)) {
                (void)files::createFolder(file.substr(0, slash));
            }
            fd_.reset(::open(host.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
            loaded_ = false;
            if (!fd_) return false;
        }
        if (::flock(fd_.get(), LOCK_EX) != 0) return false;
        struct stat held {};
        struct stat named {};
        if (::fstat(fd_.get(), &held) != 0 || ::lstat(host.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
            held.st_dev != named.st_dev) {
            // Replaced (or removed) while this process waited: take the file
            // that has the name now.
            fd_.reset();
            continue;
        }
        // Nobody changed it since this process last looked: the one small
        // read of the generation says so.
        if (loaded_ && held.st_ino == loadedInode_ && static_cast<std::size_t>(held.st_size) == capacity_ &&
            generationOnDisk() == generation_) {
            return true;
        }
        loaded_ = load();
        struct stat now {};
        if (!loaded_ || ::fstat(fd_.get(), &now) != 0) {
            loaded_ = false;
            unlock();
            return false;
        }
        loadedInode_ = now.st_ino;
        return true;
    }
    return false;
}

void HiddenIconsFile::unlock() {
    if (fd_) (void)::flock(fd_.get(), LOCK_UN);
}

bool HiddenIconsFile::announceChange() {
    // The generation goes first: a process that finds the file changed
    // (even by a run killed before it flushed) reads it again before it
    // trusts what it knew of it.
    ++generation_;
    return pwriteAll(fd_.get(), generationText(generation_), kHead.size());
}

bool HiddenIconsFile::setHidden(std::string_view infoPlistPath, bool hidden) {
    return setHiddenAll(std::vector<std::string_view>{infoPlistPath}, hidden) == 1;
}

std::size_t HiddenIconsFile::setHiddenAll(const std::vector<std::string_view>& infoPlistPaths, bool hidden) {
    if (!lockCurrent()) return 0;
    struct Unlock {
        HiddenIconsFile& file;
        ~Unlock() { file.unlock(); }
    } unlockAtEnd{*this};
    std::size_t changed = 0;
    bool announced = false;  // in the file open now
    bool written = true;
    for (std::string_view infoPlistPath : infoPlistPaths) {
        if (infoPlistPath.empty() || holdsControlCharacter(infoPlistPath)) continue;
        const std::string path(infoPlistPath);
        const auto found = entries_.find(path);
        if (!hidden) {
            if (found == entries_.end()) continue;
            std::string blank(found->second.length - 1, ' ');
            blank.push_back('\n');
            written = (announced || (announced = announceChange())) && pwriteAll(fd_.get(), blank, found->second.offset);
            if (!written) break;
            entries_.erase(found);
            ++changed;
            continue;
        }
        if (found != entries_.end()) continue;
        const std::string line = entryLine(path);
        if (tail_ + line.size() + kTail.size() > capacity_) {
            // The list written anew (flushed, with what this call changed so
            // far) and taken in place of the old file.
            written = rewrite(pathsInOrder(), line.size() + kTail.size());
            if (!written) break;
            announced = false;
        }
        written = (announced || (announced = announceChange())) &&
                  pwriteAll(fd_.get(), line + std::string(kTail), tail_);
        if (!written) break;
        entries_.emplace(path, Entry{tail_, line.size()});
        tail_ += line.size();
        ++changed;
    }
    // One flush for every change of the call.
    if (written && announced) written = ::fdatasync(fd_.get()) == 0;
    if (!written) {
        // After a failed write the file is read again before it is trusted.
        loaded_ = false;
        return 0;
    }
    return changed;
}

}  // namespace nestora::hide
