#include "platform/PrivilegedFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/DeviceRoot.h"
#include "platform/PrivilegedNames.h"

namespace nestora::privileged {

using detail::isSingleComponent;
using detail::nameString;

namespace {

bool readAll(int fd, std::size_t limit, std::string& out) {
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (out.size() + static_cast<std::size_t>(n) > limit) {
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

constexpr std::string_view kTemporaryMark = ".tmp";

std::string temporaryName(std::string_view name) {
    std::string result = ".";
    result.append(name.substr(0, 200));
    result.append(kTemporaryMark);
    result.append(randomSuffix());
    return result;
}

}  // namespace

std::optional<uid_t> ownerOf(const FileDescriptor& file) {
    struct stat st{};
    if (fstat(file.get(), &st) != 0) {
        return std::nullopt;
    }
    return st.st_uid;
}

uid_t invokingUser() { return getuid(); }

std::optional<FileOwner> lookupOwner(const std::string& user, const std::string& group) {
    passwd pwStorage{};
    passwd* pw = nullptr;
    std::vector<char> buffer(16384);
    if (getpwnam_r(user.c_str(), &pwStorage, buffer.data(), buffer.size(), &pw) != 0 || pw == nullptr) {
        return std::nullopt;
    }
    FileOwner owner;
    owner.uid = pw->pw_uid;
    ::group grStorage{};
    ::group* gr = nullptr;
    std::vector<char> groupBuffer(16384);
    if (getgrnam_r(group.c_str(), &grStorage, groupBuffer.data(), groupBuffer.size(), &gr) != 0 || gr == nullptr) {
        return std::nullopt;
    }
    owner.gid = gr->gr_gid;
    return owner;
}

namespace {

// Opens and reads a regular file in the folder, never through a link and
// never waiting on a FIFO; `accept` judges the opened file before any byte
// is read.
template <typename Accept>
std::optional<FileContents> readCheckedFileAt(const FileDescriptor& folder, std::string_view name, std::size_t limit,
                                              Accept accept) {
    if (!isSingleComponent(name)) {
        return std::nullopt;
    }
    FileDescriptor fd(openat(folder.get(), nameString(name).c_str(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    struct stat st{};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > limit ||
        !accept(st)) {
        return std::nullopt;
    }
    FileContents contents;
    contents.owner = FileOwner{st.st_uid, st.st_gid};
    contents.mode = st.st_mode & 07777;
    if (!readAll(fd.get(), limit, contents.bytes)) {
        return std::nullopt;
    }
    return contents;
}

}  // namespace

std::optional<FileContents> readFileAt(const FileDescriptor& folder, std::string_view name, std::size_t limit) {
    return readCheckedFileAt(folder, name, limit, [](const struct stat&) { return true; });
}

std::optional<FileContents> readOwnedFileAt(const FileDescriptor& folder, std::string_view name, std::size_t limit) {
    const auto folderOwner = ownerOf(folder);
    if (!folderOwner) {
        return std::nullopt;
    }
    return readCheckedFileAt(folder, name, limit, [&](const struct stat& st) {
        return st.st_nlink == 1 && (st.st_uid == 0 || st.st_uid == *folderOwner);
    });
}

std::optional<std::string> readFileHead(std::string_view devicePath, std::size_t maxBytes) {
    FileDescriptor fd(open(platform::hostPath(devicePath).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    struct stat st{};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    std::string bytes;
    std::vector<char> buffer(65536);
    while (bytes.size() < maxBytes) {
        std::size_t want = std::min(buffer.size(), maxBytes - bytes.size());
        ssize_t n = read(fd.get(), buffer.data(), want);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return bytes;
}

bool createEmptyFileAt(const FileDescriptor& folder, std::string_view name, mode_t mode) {
    if (!isSingleComponent(name)) {
        return false;
    }
    FileDescriptor fd(openat(folder.get(), nameString(name).c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, mode));
    return static_cast<bool>(fd);
}

ReplaceResult replaceFileAt(const FileDescriptor& folder, std::string_view name, std::string_view bytes,
                            const ReplaceOptions& options) {
    if (!isSingleComponent(name)) {
        return ReplaceResult::WriteFailed;
    }
    const bool elsewhere = options.temporaryFolder != nullptr;
    const FileDescriptor& temporaryFolder = elsewhere ? *options.temporaryFolder : folder;
    std::string temporary;
    FileDescriptor fd;
    for (int attempt = 0; attempt < 16 && !fd; ++attempt) {
        temporary = elsewhere ? options.temporaryPrefix + randomSuffix() : temporaryName(name);
        if (!isSingleComponent(temporary)) {
            return ReplaceResult::WriteFailed;
        }
        fd = FileDescriptor(openat(temporaryFolder.get(), temporary.c_str(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
        if (!fd && errno != EEXIST) {
            break;
        }
    }
    if (!fd) {
        return ReplaceResult::WriteFailed;
    }
    bool written = writeAll(fd.get(), bytes) && fchmod(fd.get(), options.mode & 07777) == 0;
    if (written && options.owner) {
        written = fchown(fd.get(), options.owner->uid, options.owner->gid) == 0;
    }
    written = written && fsync(fd.get()) == 0;
    fd = FileDescriptor();
    if (!written) {
        unlinkat(temporaryFolder.get(), temporary.c_str(), 0);
        return ReplaceResult::WriteFailed;
    }
    const std::string target = nameString(name);
    // The temporary file takes the name: a rename, or, where an entry that
    // appeared after the caller looked must not be replaced, a hard link
    // (which fails when the name exists). The error when it could not.
    const auto move = [&]() -> int {
        if (!options.onlyIfAbsent) {
            return renameat(temporaryFolder.get(), temporary.c_str(), folder.get(), target.c_str()) == 0 ? 0 : errno;
        }
        if (linkat(temporaryFolder.get(), temporary.c_str(), folder.get(), target.c_str(), 0) != 0) {
            return errno;
        }
        unlinkat(temporaryFolder.get(), temporary.c_str(), 0);
        return 0;
    };
    if (const int error = move(); error != 0) {
        unlinkat(temporaryFolder.get(), temporary.c_str(), 0);
        if (elsewhere && error == EXDEV) {
            // The two folders are on different file systems.
            ReplaceOptions here = options;
            here.temporaryFolder = nullptr;
            return replaceFileAt(folder, name, bytes, here);
        }
        return options.onlyIfAbsent && error == EEXIST ? ReplaceResult::AlreadyExists : ReplaceResult::RenameFailed;
    }
    // Both folders' entries changed when the temporary file was elsewhere:
    // each is flushed, so neither side of the move can be undone by a power
    // cut after it is reported.
    fsync(folder.get());
    if (elsewhere) {
        fsync(temporaryFolder.get());
    }
    return ReplaceResult::Replaced;
}

std::string randomSuffix() {
    unsigned char random[kRandomSuffixLength / 2] = {};
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        // Uniqueness only matters against our own earlier leftovers; O_EXCL
        // guards correctness, so a weak suffix costs at most a retry.
        for (unsigned char& b : random) {
            b = static_cast<unsigned char>(getpid() + (&b - random));
        }
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string result;
    for (unsigned char b : random) {
        result.push_back(kDigits[b >> 4]);
        result.push_back(kDigits[b & 15]);
    }
    return result;
}

bool isTemporaryNameFor(std::string_view entry, std::string_view name) {
    const std::string_view stem = name.substr(0, 200);
    if (entry.size() != 1 + stem.size() + kTemporaryMark.size() + kRandomSuffixLength || !entry.starts_with('.')) {
        return false;
    }
    entry.remove_prefix(1);
    if (!entry.starts_with(stem)) {
        return false;
    }
    entry.remove_prefix(stem.size());
    if (!entry.starts_with(kTemporaryMark)) {
        return false;
    }
    entry.remove_prefix(kTemporaryMark.size());
    return isRandomSuffix(entry);
}

bool isRandomSuffix(std::string_view text) {
    return text.size() == kRandomSuffixLength && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool createFileAt(const FileDescriptor& folder, std::string_view name, std::string_view bytes, mode_t mode) {
    if (!isSingleComponent(name)) {
        return false;
    }
    const std::string target = nameString(name);
    FileDescriptor fd(openat(folder.get(), target.c_str(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
    if (!fd) {
        return false;
    }
    // The mode first: a file cut short has the mode it will have and less
    // content, never the whole content with a mode still to come.
    if (fchmod(fd.get(), mode & 07777) == 0 && writeAll(fd.get(), bytes) && fsync(fd.get()) == 0) {
        return true;
    }
    fd = FileDescriptor();
    unlinkat(folder.get(), target.c_str(), 0);
    return false;
}

InvokerRights::InvokerRights() : savedUid_(geteuid()), savedGid_(getegid()) {
    if (savedGid_ != getgid() && setegid(getgid()) != 0) {
        return;
    }
    if (savedUid_ != getuid() && seteuid(getuid()) != 0) {
        (void)!setegid(savedGid_);
        return;
    }
    active_ = true;
}

InvokerRights::~InvokerRights() {
    if (!active_) {
        return;
    }
    // Regaining root cannot fail for a set-user-id root program; if it
    // somehow did, later writes fail instead of running as the invoker.
    (void)!seteuid(savedUid_);
    (void)!setegid(savedGid_);
}

InvokerRead readFileAsInvoker(std::string_view path, std::size_t limit) {
    InvokerRead result;
    result.error = InvokerReadError::CannotRead;
    FileDescriptor fd;
    {
        InvokerRights invoker;
        if (!invoker.active()) {
            return result;
        }
        // O_NONBLOCK: a FIFO or device named here must not hang the tool.
        fd = FileDescriptor(open(platform::hostPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    }
    if (!fd) {
        return result;
    }
    struct stat st{};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return result;
    }
    if (static_cast<std::size_t>(st.st_size) > limit) {
        result.error = InvokerReadError::TooLarge;
        return result;
    }
    std::string bytes;
    if (!readAll(fd.get(), limit, bytes)) {
        return result;
    }
    result.bytes = std::move(bytes);
    result.error = InvokerReadError::None;
    return result;
}

mode_t setFileCreationMask(mode_t mask) { return umask(mask); }

}  // namespace nestora::privileged
