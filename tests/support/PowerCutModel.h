#pragma once

// What a power cut at any point of a run could leave on the disk, built
// from the file-system calls the run made (SyscallLog.h), under the model of
// a journaling file system that keeps metadata in order and allocates late:
//   - what an fsync of a file made durable survives: its data then;
//   - data written to a file since its last fsync may be missing, all of it
//     or its latter part; a file made by the run and never flushed, or cut
//     short since its last flush, may be empty (a file already on the disk
//     keeps its length and blocks: data written over them can tear, but the
//     file does not empty);
//   - creates, renames and unlinks in a folder since that folder's last
//     fsync may be undone, the later ones first;
//   - fdatasync counts as an fsync of the data; sync and syncfs make
//     everything written so far durable.
// The model starts from the device as it was before the run and knows
// nothing of the program: a changed sequence of calls is judged as it is.

#include <sys/types.h>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/SyscallLog.h"

namespace nestora::test {

// strace's -e trace= set a recording needs.
extern const char* const kPowerCutTraceSet;

class PowerCutModel {
public:
    // The device at `root` as it stands before the run.
    explicit PowerCutModel(const std::string& root);

    // Takes in the calls of the run (made on the device at `root`; calls on
    // other paths are passed over).
    void addCalls(const std::vector<SyscallEntry>& calls);

    // How many changes the run made: a power cut can come before each of
    // them or after the last.
    std::size_t changes() const { return changes_.size(); }

    enum class DataFate { Kept, Lost, Half, Empty };

    struct State {
        std::size_t point = 0;                 // changes made before the cut
        std::map<int, std::size_t> undone;     // folder -> how many of its last changes are undone
        std::map<int, DataFate> fates;         // file -> what became of its unflushed data
        std::string description;               // for a report
    };

    // The distinct states cuts at every point could leave. Where the
    // choices at one point multiply beyond `mostPerPoint`, that point gives
    // the states where everything unflushed is kept or lost, and those where
    // one folder or file alone differs from either.
    std::vector<State> states(std::size_t mostPerPoint = 256) const;

    // Writes the state as a device in `root` (an empty folder).
    void write(const State& state, const std::string& root) const;

private:
    struct Node {
        enum class Kind { File, Folder, Link } kind = Kind::File;
        std::map<std::string, int> entries;  // a folder's
        std::shared_ptr<const std::string> data = std::make_shared<const std::string>();  // a file's bytes, a link's target
        mode_t mode = 0644;
        uid_t uid = 0;
        gid_t gid = 0;
    };
    struct Change {
        enum class Kind { Add, Remove, Rename, Write, Truncate, Attributes, Sync, SyncAll } kind = Kind::Sync;
        int folder = -1;      // Add, Remove, Rename (from)
        int toFolder = -1;    // Rename
        std::string name;     // Add, Remove, Rename (from)
        std::string toName;   // Rename
        int node = -1;        // what is added, removed, moved, written or flushed
        long long offset = 0;  // Write; Truncate: the length
        std::string bytes;     // Write
        std::optional<mode_t> mode;
        std::optional<uid_t> uid;
        std::optional<gid_t> gid;
        std::string what;  // for a report
    };

    int resolve(const std::string& hostPath) const;                 // the node at a path now, or -1
    std::pair<int, std::string> parentOf(const std::string& hostPath) const;  // folder node and name
    std::string devicePath(const std::string& hostPath) const;
    int newNode(Node::Kind kind, mode_t mode);
    static void applyChange(std::vector<Node>& nodes, const Change& change);
    void record(Change change);  // applies it to the live tree and keeps it
    void addCall(const SyscallEntry& call);

    std::vector<Node> apply(const State& state) const;
    std::size_t signature(const std::vector<Node>& nodes) const;
    int lastSync(int node, std::size_t point) const;
    // Whether a cut at `point` may leave the file empty.
    bool mayBeEmpty(int node, std::size_t point) const;
    static bool isDataChange(Change::Kind kind);
    static std::shared_ptr<const std::string> sharedBytes(std::string bytes);
    std::vector<State> statesAt(std::size_t point, std::size_t mostPerPoint) const;

    std::string root_;
    std::vector<Node> start_;  // the device before the run (and each node as it was made)
    std::vector<std::string> names_;  // a device path of each node, for reports
    std::vector<Node> live_;   // the device as the run goes on
    std::size_t deviceNodes_ = 0;  // nodes below this were on the device before the run
    std::vector<Change> changes_;
    std::map<std::pair<int, int>, std::pair<int, long long>> descriptors_;  // (pid, fd) -> node, offset
    // Each node's bytes hashed once. The cache holds the bytes too: a key is
    // an address, and the bytes of a state built for one signature are freed
    // before the next, so without them another string could take the address.
    mutable std::map<const std::string*, std::pair<std::shared_ptr<const std::string>, std::size_t>> dataHashes_;
};

}  // namespace nestora::test
