#include "tests/support/PowerCutModel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace nestora::test {

namespace fs = std::filesystem;

namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

PowerCutModel::PowerCutModel(const std::string& root) : root_(fs::canonical(root).string()) {
    // Breadth first from the root, node 0.
    std::vector<std::pair<int, std::string>> folders{{0, root_}};
    start_.emplace_back();
    start_[0].kind = Node::Kind::Folder;
    names_.push_back("/");
    struct stat st {};
    if (::lstat(root_.c_str(), &st) == 0) {
        start_[0].mode = st.st_mode & 07777;
        start_[0].uid = st.st_uid;
        start_[0].gid = st.st_gid;
    }
    for (std::size_t next = 0; next < folders.size(); ++next) {
        const auto [folder, path] = folders[next];
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string child = path + "/" + name;
            if (::lstat(child.c_str(), &st) != 0) continue;
            Node node;
            node.mode = st.st_mode & 07777;
            node.uid = st.st_uid;
            node.gid = st.st_gid;
            if (S_ISDIR(st.st_mode)) {
                node.kind = Node::Kind::Folder;
            } else if (S_ISLNK(st.st_mode)) {
                node.kind = Node::Kind::Link;
                node.data = sharedBytes(fs::read_symlink(child).string());
            } else if (S_ISREG(st.st_mode)) {
                node.data = sharedBytes(readBytes(child));
            } else {
                continue;
            }
            const int id = static_cast<int>(start_.size());
            start_.push_back(std::move(node));
            names_.push_back(devicePath(child));
            start_[folder].entries[name] = id;
            if (start_[id].kind == Node::Kind::Folder) folders.emplace_back(id, child);
        }
    }
    live_ = start_;
    deviceNodes_ = start_.size();
}

void PowerCutModel::applyChange(std::vector<Node>& nodes, const Change& change) {
    switch (change.kind) {
        case Change::Kind::Add:
            nodes[change.folder].entries[change.name] = change.node;
            break;
        case Change::Kind::Remove:
            nodes[change.folder].entries.erase(change.name);
            break;
        case Change::Kind::Rename: {
            auto& from = nodes[change.folder].entries;
            const auto entry = from.find(change.name);
            if (entry == from.end() || entry->second != change.node) break;  // its making was undone
            from.erase(entry);
            nodes[change.toFolder].entries[change.toName] = change.node;
            break;
        }
        case Change::Kind::Write: {
            std::string data = *nodes[change.node].data;
            const auto end = static_cast<std::size_t>(change.offset) + change.bytes.size();
            if (data.size() < end) data.resize(end);
            data.replace(static_cast<std::size_t>(change.offset), change.bytes.size(), change.bytes);
            nodes[change.node].data = sharedBytes(std::move(data));
            break;
        }
        case Change::Kind::Truncate: {
            std::string data = *nodes[change.node].data;
            data.resize(static_cast<std::size_t>(change.offset));
            nodes[change.node].data = sharedBytes(std::move(data));
            break;
        }
        case Change::Kind::Attributes:
            if (change.mode) nodes[change.node].mode = *change.mode & 07777;
            if (change.uid) nodes[change.node].uid = *change.uid;
            if (change.gid) nodes[change.node].gid = *change.gid;
            break;
        case Change::Kind::Sync:
        case Change::Kind::SyncAll:
            break;
    }
}

std::shared_ptr<const std::string> PowerCutModel::sharedBytes(std::string bytes) {
    return std::make_shared<const std::string>(std::move(bytes));
}

bool PowerCutModel::isDataChange(Change::Kind kind) {
    return kind == Change::Kind::Write || kind == Change::Kind::Truncate || kind == Change::Kind::Attributes;
}

bool PowerCutModel::mayBeEmpty(int node, std::size_t point) const {
    const int synced = lastSync(node, point);
    // A file the run made that never reached the disk whole: its length may
    // have, its blocks not (delayed allocation).
    if (static_cast<std::size_t>(node) >= deviceNodes_ && synced < 0) return true;
    // A file on disk before the run or flushed since it was made keeps its
    // length and blocks: data written over them may tear, but the file does
    // not become empty unless it was cut short since.
    for (std::size_t i = static_cast<std::size_t>(synced + 1); i < point; ++i) {
        if (changes_[i].kind == Change::Kind::Truncate && changes_[i].node == node) return true;
    }
    return false;
}

int PowerCutModel::lastSync(int node, std::size_t point) const {
    for (std::size_t i = point; i-- > 0;) {
        const Change& change = changes_[i];
        if (change.kind == Change::Kind::SyncAll || (change.kind == Change::Kind::Sync && change.node == node)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<PowerCutModel::Node> PowerCutModel::apply(const State& state) const {
    // Which folder changes are undone: the last `undone` of each folder's
    // changes since its last flush.
    std::set<std::size_t> undone;
    for (const auto& [folder, count] : state.undone) {
        std::vector<std::size_t> pending;
        for (std::size_t i = static_cast<std::size_t>(lastSync(folder, state.point) + 1); i < state.point; ++i) {
            const Change& change = changes_[i];
            const bool inFolder = change.folder == folder || change.toFolder == folder;
            if (inFolder && (change.kind == Change::Kind::Add || change.kind == Change::Kind::Remove ||
                             change.kind == Change::Kind::Rename)) {
                pending.push_back(i);
            }
        }
        for (std::size_t k = 0; k < count && k < pending.size(); ++k) undone.insert(pending[pending.size() - 1 - k]);
    }
    // How much of each half-kept file's unflushed data stays.
    std::map<int, long long> halfBudget;
    for (const auto& [node, fate] : state.fates) {
        if (fate != DataFate::Half) continue;
        long long total = 0;
        for (std::size_t i = static_cast<std::size_t>(lastSync(node, state.point) + 1); i < state.point; ++i) {
            if (changes_[i].kind == Change::Kind::Write && changes_[i].node == node) {
                total += static_cast<long long>(changes_[i].bytes.size());
            }
        }
        halfBudget[node] = total / 2;
    }
    std::vector<Node> nodes = start_;
    for (std::size_t i = 0; i < state.point; ++i) {
        Change change = changes_[i];
        if (undone.contains(i)) continue;
        if (isDataChange(change.kind)) {
            const auto fate = state.fates.find(change.node);
            if (fate != state.fates.end() && static_cast<int>(i) > lastSync(change.node, state.point)) {
                if (fate->second == DataFate::Lost || fate->second == DataFate::Empty) continue;
                if (fate->second == DataFate::Half && change.kind == Change::Kind::Write) {
                    long long& budget = halfBudget[change.node];
                    if (budget <= 0) continue;
                    change.bytes.resize(std::min<std::size_t>(change.bytes.size(), static_cast<std::size_t>(budget)));
                    budget -= static_cast<long long>(change.bytes.size());
                }
            }
        }
        applyChange(nodes, change);
    }
    for (const auto& [node, fate] : state.fates) {
        if (fate == DataFate::Empty) nodes[node].data = sharedBytes("");
    }
    return nodes;
}

std::size_t PowerCutModel::signature(const std::vector<Node>& nodes) const {
    std::string text;
    std::function<void(int, const std::string&)> walk = [&](int id, const std::string& path) {
        const Node& node = nodes[id];
        auto hash = dataHashes_.find(node.data.get());
        if (hash == dataHashes_.end()) {
            hash = dataHashes_.emplace(node.data.get(), std::pair(node.data, std::hash<std::string>{}(*node.data))).first;
        }
        text += path + ' ' + std::to_string(static_cast<int>(node.kind)) + ' ' + std::to_string(node.mode) + ' ' +
                std::to_string(node.uid) + ' ' + std::to_string(hash->second.second) + '\n';
        for (const auto& [name, child] : node.entries) walk(child, path + "/" + name);
    };
    walk(0, "");
    return std::hash<std::string>{}(text);
}

std::vector<PowerCutModel::State> PowerCutModel::statesAt(std::size_t point, std::size_t mostPerPoint) const {
    // What may differ at this point: folders with unflushed changes (how
    // many are undone) and files with unflushed data (what became of it).
    std::map<int, std::size_t> folders;
    // Files with unflushed changes: how many fates each may have (written
    // data: kept, lost, half kept, emptied; only a mode or owner: kept, lost).
    std::map<int, std::size_t> files;
    for (std::size_t i = 0; i < point; ++i) {
        const Change& change = changes_[i];
        if (change.kind == Change::Kind::Add || change.kind == Change::Kind::Remove ||
            change.kind == Change::Kind::Rename) {
            for (const int folder : {change.folder, change.toFolder}) {
                if (folder >= 0 && static_cast<int>(i) > lastSync(folder, point)) ++folders[folder];
            }
        } else if (isDataChange(change.kind) && static_cast<int>(i) > lastSync(change.node, point)) {
            std::size_t& fates = files[change.node];
            const std::size_t dataFates = mayBeEmpty(change.node, point) ? 4 : 3;
            fates = std::max<std::size_t>(fates, change.kind == Change::Kind::Attributes ? 2 : dataFates);
        }
    }
    static constexpr DataFate kFates[] = {DataFate::Kept, DataFate::Lost, DataFate::Half, DataFate::Empty};
    std::size_t combinations = 1;
    for (const auto& [folder, count] : folders) {
        combinations = std::min<std::size_t>(combinations * (count + 1), mostPerPoint + 1);
    }
    for (const auto& [file, fates] : files) combinations = std::min<std::size_t>(combinations * fates, mostPerPoint + 1);

    std::vector<State> states;
    const auto describe = [&](State& state) {
        std::string text = state.point == 0 ? "before the first change"
                                            : "after " + std::to_string(state.point) + " changes (the last: " +
                                                  changes_[state.point - 1].what + ")";
        for (const auto& [folder, count] : state.undone) {
            if (count > 0) text += "; " + std::to_string(count) + " undone in " + names_[folder];
        }
        static const char* const kFateNames[] = {"kept", "lost", "half kept", "emptied"};
        for (const auto& [file, fate] : state.fates) {
            if (fate != DataFate::Kept) text += "; " + names_[file] + " unflushed data " + kFateNames[static_cast<int>(fate)];
        }
        state.description = std::move(text);
        states.push_back(state);
    };
    State kept{point, {}, {}, {}};
    State lost{point, {}, {}, {}};
    for (const auto& [folder, count] : folders) lost.undone[folder] = count;
    for (const auto& [file, fates] : files) lost.fates[file] = DataFate::Lost;
    if (combinations <= mostPerPoint) {
        // Every combination, counted like a number in mixed radix.
        std::vector<std::pair<int, std::size_t>> radix;  // entity (folder >= 0, file as -1-file), choices
        for (const auto& [folder, count] : folders) radix.emplace_back(folder, count + 1);
        for (const auto& [file, fates] : files) radix.emplace_back(-1 - file, fates);
        for (std::size_t n = 0; n < combinations; ++n) {
            State state{point, {}, {}, {}};
            std::size_t rest = n;
            for (const auto& [entity, choices] : radix) {
                const std::size_t choice = rest % choices;
                rest /= choices;
                if (entity >= 0) {
                    state.undone[entity] = choice;
                } else {
                    state.fates[-1 - entity] = kFates[choice];
                }
            }
            describe(state);
        }
        return states;
    }
    for (const State& base : {kept, lost}) {
        State same = base;
        describe(same);
        for (const auto& [folder, count] : folders) {
            for (std::size_t undo = 0; undo <= count; ++undo) {
                State state = base;
                state.undone[folder] = undo;
                describe(state);
            }
        }
        for (const auto& [file, fates] : files) {
            for (std::size_t fate = 0; fate < fates; ++fate) {
                State state = base;
                state.fates[file] = kFates[fate];
                describe(state);
            }
        }
    }
    return states;
}

std::vector<PowerCutModel::State> PowerCutModel::states(std::size_t mostPerPoint) const {
    std::vector<State> distinct;
    std::set<std::size_t> seen;
    for (std::size_t point = 0; point <= changes_.size(); ++point) {
        for (State& state : statesAt(point, mostPerPoint)) {
            if (seen.insert(signature(apply(state))).second) distinct.push_back(std::move(state));
        }
    }
    return distinct;
}

void PowerCutModel::write(const State& state, const std::string& root) const {
    const std::vector<Node> nodes = apply(state);
    std::function<void(int, const std::string&)> walk = [&](int id, const std::string& path) {
        const Node& node = nodes[id];
        if (id != 0) {
            if (node.kind == Node::Kind::Folder) {
                ::mkdir(path.c_str(), 0700);
            } else if (node.kind == Node::Kind::Link) {
                (void)!::symlink(node.data->c_str(), path.c_str());
            } else {
                std::ofstream(path, std::ios::binary) << *node.data;
            }
        }
        (void)!::lchown(path.c_str(), node.uid, node.gid);
        if (node.kind != Node::Kind::Link) ::chmod(path.c_str(), node.mode);
        for (const auto& [name, child] : node.entries) walk(child, path + "/" + name);
    };
    walk(0, root);
}

}  // namespace nestora::test
