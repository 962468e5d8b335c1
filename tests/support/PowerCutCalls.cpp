// How the system calls of a recorded run become changes of the power-cut
// model: which node each call is about (by the paths strace put beside its
// descriptors), and what it added, removed, renamed, wrote or flushed.

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/support/PowerCutModel.h"

namespace nestora::test {

const char* const kPowerCutTraceSet =
    "?open,?openat,?creat,?write,?pwrite64,?writev,?lseek,?rename,?renameat,?renameat2,?unlink,?unlinkat,?rmdir,"
    "?mkdir,?mkdirat,?link,?linkat,?symlink,?symlinkat,?chmod,?fchmod,?fchmodat,?chown,?fchown,?lchown,?fchownat,"
    "?truncate,?ftruncate,?fsync,?fdatasync,?sync,?syncfs";

std::string PowerCutModel::devicePath(const std::string& hostPath) const {
    return hostPath.size() > root_.size() ? hostPath.substr(root_.size()) : "/";
}

int PowerCutModel::resolve(const std::string& hostPath) const {
    if (hostPath != root_ && !hostPath.starts_with(root_ + "/")) return -1;
    int node = 0;
    std::istringstream components(hostPath.substr(root_.size()));
    for (std::string name; std::getline(components, name, '/');) {
        if (name.empty() || name == ".") continue;
        if (live_[node].kind != Node::Kind::Folder) return -1;
        const auto entry = live_[node].entries.find(name);
        if (entry == live_[node].entries.end()) return -1;
        node = entry->second;
    }
    return node;
}

std::pair<int, std::string> PowerCutModel::parentOf(const std::string& hostPath) const {
    const auto slash = hostPath.rfind('/');
    if (slash == std::string::npos || slash == 0) return {-1, ""};
    return {resolve(hostPath.substr(0, slash)), hostPath.substr(slash + 1)};
}

int PowerCutModel::newNode(Node::Kind kind, mode_t mode) {
    Node node;
    node.kind = kind;
    node.mode = mode & 07777;
    start_.push_back(node);
    live_.push_back(node);
    names_.emplace_back();
    return static_cast<int>(live_.size()) - 1;
}

void PowerCutModel::record(Change change) {
    if (change.kind == Change::Kind::Add && names_[change.node].empty()) {
        names_[change.node] = (change.folder == 0 ? "" : names_[change.folder]) + "/" + change.name;
    }
    applyChange(live_, change);
    changes_.push_back(std::move(change));
}

void PowerCutModel::addCalls(const std::vector<SyscallEntry>& calls) {
    for (const SyscallEntry& call : calls) {
        if (succeeded(call)) addCall(call);
    }
}

void PowerCutModel::addCall(const SyscallEntry& call) {
    const auto& args = call.arguments;
    const auto arg = [&](std::size_t i) -> std::string { return i < args.size() ? args[i] : std::string(); };
    // A path given as a folder descriptor and a name (or absolute).
    const auto atPath = [&](std::size_t folderArg, std::size_t nameArg) -> std::string {
        const std::string name = quotedBytes(arg(nameArg)).value_or("");
        if (name.starts_with('/')) return name;
        return descriptorPath(arg(folderArg)).value_or("") + "/" + name;
    };
    const auto plainPath = [&](std::size_t i) { return quotedBytes(arg(i)).value_or(""); };
    // The node a descriptor argument stands for.
    const auto nodeOf = [&](const std::string& descriptor) -> int {
        const auto fd = leadingNumber(descriptor);
        if (fd) {
            const auto known = descriptors_.find({call.pid, static_cast<int>(*fd)});
            if (known != descriptors_.end()) return known->second.first;
        }
        const auto path = descriptorPath(descriptor);
        return path && !path->ends_with(" (deleted)") ? resolve(*path) : -1;
    };
    const auto offsetOf = [&](const std::string& descriptor, int node) -> long long& {
        const int fd = static_cast<int>(leadingNumber(descriptor).value_or(-1));
        auto known = descriptors_.find({call.pid, fd});
        if (known == descriptors_.end() || known->second.first != node) {
            known = descriptors_.insert_or_assign({call.pid, fd}, std::pair{node, static_cast<long long>(live_[node].data->size())}).first;
        }
        return known->second.second;
    };
    const std::string& name = call.name;
    Change change;

    if (name == "open" || name == "openat" || name == "creat") {
        const auto path = descriptorPath(call.result);
        const auto fd = leadingNumber(call.result);
        if (!path || !fd) return;
        const std::string flags = name == "creat" ? "O_CREAT|O_TRUNC|O_WRONLY" : arg(name == "openat" ? 2 : 1);
        const std::string modeArg = arg(name == "openat" ? 3 : (name == "creat" ? 1 : 2));
        int node = resolve(*path);
        if (node < 0 && flags.find("O_CREAT") != std::string::npos) {
            auto [folder, entry] = parentOf(*path);
            if (folder < 0) return;
            // The tool and the programs it is judged with run with umask 022.
            const mode_t mode = static_cast<mode_t>(leadingNumber(modeArg).value_or(0644)) & ~mode_t{022};
            node = newNode(Node::Kind::File, mode);
            change.kind = Change::Kind::Add;
            change.folder = folder;
            change.name = entry;
            change.node = node;
            change.what = "create " + devicePath(*path);
            record(change);
        } else if (node >= 0 && flags.find("O_TRUNC") != std::string::npos && !live_[node].data->empty()) {
            change.kind = Change::Kind::Truncate;
            change.node = node;
            change.offset = 0;
            change.what = "truncate " + devicePath(*path);
            record(change);
        }
        if (node >= 0) {
            const long long offset =
                flags.find("O_APPEND") != std::string::npos ? static_cast<long long>(live_[node].data->size()) : 0;
            descriptors_[{call.pid, static_cast<int>(*fd)}] = {node, offset};
        } else {
            descriptors_.erase({call.pid, static_cast<int>(*fd)});
        }
        return;
    }
    if (name == "write" || name == "pwrite64" || name == "writev") {
        const int node = nodeOf(arg(0));
        const long long written = leadingNumber(call.result).value_or(0);
        if (node < 0 || live_[node].kind != Node::Kind::File || written <= 0) return;
        std::string bytes;
        if (name == "writev") {
            for (std::size_t at = arg(1).find("iov_base="); at != std::string::npos;
                 at = arg(1).find("iov_base=", at + 1)) {
                bytes += quotedBytes(std::string_view(arg(1)).substr(at + 9)).value_or("");
            }
        } else {
            bytes = quotedBytes(arg(1)).value_or("");
        }
        bytes.resize(std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(written)));
        change.kind = Change::Kind::Write;
        change.node = node;
        if (name == "pwrite64") {
            change.offset = leadingNumber(arg(3)).value_or(0);
        } else {
            long long& offset = offsetOf(arg(0), node);
            change.offset = offset;
            offset += static_cast<long long>(bytes.size());
        }
        change.bytes = std::move(bytes);
        change.what = "write " + names_[node];
        record(change);
        return;
    }
    if (name == "lseek") {
        const int node = nodeOf(arg(0));
        if (node >= 0) offsetOf(arg(0), node) = leadingNumber(call.result).value_or(0);
        return;
    }
    if (name == "truncate" || name == "ftruncate") {
        const int node = name == "truncate" ? resolve(plainPath(0)) : nodeOf(arg(0));
        if (node < 0) return;
        change.kind = Change::Kind::Truncate;
        change.node = node;
        change.offset = leadingNumber(arg(1)).value_or(0);
        change.what = "truncate " + names_[node];
        record(change);
        return;
    }
    if (name == "mkdir" || name == "mkdirat" || name == "symlink" || name == "symlinkat") {
        const bool folder = name.starts_with("mkdir");
        const std::string path = name == "mkdir" ? plainPath(0)
                                 : name == "mkdirat" ? atPath(0, 1)
                                 : name == "symlink" ? plainPath(1)
                                                     : atPath(1, 2);
        auto [parent, entry] = parentOf(path);
        if (parent < 0) return;
        const mode_t mode =
            folder ? static_cast<mode_t>(leadingNumber(arg(name == "mkdir" ? 1 : 2)).value_or(0755)) & ~mode_t{022}
                   : 0777;
        const int node = newNode(folder ? Node::Kind::Folder : Node::Kind::Link, mode);
        if (!folder) {
            start_[node].data = sharedBytes(plainPath(0));
            live_[node].data = start_[node].data;
        }
        change.kind = Change::Kind::Add;
        change.folder = parent;
        change.name = entry;
        change.node = node;
        change.what = (folder ? "mkdir " : "symlink ") + devicePath(path);
        record(change);
        return;
    }
    if (name == "rename" || name == "renameat" || name == "renameat2" || name == "link" || name == "linkat") {
        const bool plain = name == "rename" || name == "link";
        const std::string from = plain ? plainPath(0) : atPath(0, 1);
        const std::string to = plain ? plainPath(1) : atPath(2, 3);
        const int node = resolve(from);
        auto [fromFolder, fromName] = parentOf(from);
        auto [toFolder, toName] = parentOf(to);
        if (node < 0 || fromFolder < 0 || toFolder < 0) return;
        if (name.starts_with("link")) {
            change.kind = Change::Kind::Add;
            change.folder = toFolder;
            change.name = toName;
            change.what = "link " + devicePath(to);
        } else {
            change.kind = Change::Kind::Rename;
            change.folder = fromFolder;
            change.name = fromName;
            change.toFolder = toFolder;
            change.toName = toName;
            change.what = "rename " + devicePath(from) + " to " + toName;
        }
        change.node = node;
        record(change);
        return;
    }
    if (name == "unlink" || name == "unlinkat" || name == "rmdir") {
        const std::string path = name == "unlinkat" ? atPath(0, 1) : plainPath(0);
        const int node = resolve(path);
        auto [folder, entry] = parentOf(path);
        if (node < 0 || folder < 0) return;
        change.kind = Change::Kind::Remove;
        change.folder = folder;
        change.name = entry;
        change.node = node;
        change.what = "remove " + devicePath(path);
        record(change);
        return;
    }
    if (name == "chmod" || name == "fchmod" || name == "fchmodat" || name == "chown" || name == "fchown" ||
        name == "lchown" || name == "fchownat") {
        const bool descriptor = name == "fchmod" || name == "fchown";
        const bool at = name.ends_with("at");
        const int node = descriptor ? nodeOf(arg(0)) : resolve(at ? atPath(0, 1) : plainPath(0));
        if (node < 0) return;
        const std::size_t first = at ? 2 : 1;
        change.kind = Change::Kind::Attributes;
        change.node = node;
        if (name.find("chmod") != std::string::npos) {
            change.mode = static_cast<mode_t>(leadingNumber(arg(first)).value_or(0));
        } else {
            const long long uid = leadingNumber(arg(first)).value_or(-1);
            const long long gid = leadingNumber(arg(first + 1)).value_or(-1);
            if (uid >= 0) change.uid = static_cast<uid_t>(uid);
            if (gid >= 0) change.gid = static_cast<gid_t>(gid);
        }
        change.what = name + " " + names_[node];
        record(change);
        return;
    }
    if (name == "fsync" || name == "fdatasync") {
        const int node = nodeOf(arg(0));
        if (node < 0) return;
        change.kind = Change::Kind::Sync;
        change.node = node;
        change.what = name + " " + names_[node];
        record(change);
        return;
    }
    if (name == "sync" || name == "syncfs") {
        change.kind = Change::Kind::SyncAll;
        change.what = name;
        record(change);
    }
}


}  // namespace nestora::test
