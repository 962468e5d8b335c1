#pragma once

// Failing a run's writes, flushes, renames and folder makings one at a time
// with ENOSPC (a full disk) and EIO (a failing one), as strace's fault
// injection does: `-e inject=CALL:error=ENOSPC:when=N` makes the Nth call
// of CALL fail without being made. A census is every such call that
// touches the device, with each of the two errors.
//
//   for (const FaultPoint& point : diskFullPoints(root, argv)) {
//       prepare();                               // a fresh device
//       RunResult run = runFailingAt(point, argv);
//       check(run);                              // one error line, promises
//   }

#include <string>
#include <vector>

#include "tests/support/RunProgram.h"

namespace nestora::test {

// The calls a census fails.
extern const std::vector<std::string> kDiskFullCalls;

struct FaultPoint {
    std::string call;
    int occurrence = 0;  // 1-based, among all calls of `call` in the run
    std::string error;   // "ENOSPC" or "EIO"
    std::string target;  // the device path it was about
};

std::string describe(const FaultPoint& point);  // "ENOSPC at write #3 (/Applications/...)"

// Every point of a run of `argv` on the device at `root` (traced once, not
// following children; the device is changed by the run), but calls about a
// device path that contains one of `passedOver` (files of outside
// components the run loads).
std::vector<FaultPoint> diskFullPoints(const std::string& root, const std::vector<std::string>& argv,
                                       const std::vector<std::string>& passedOver = {});

// Runs the program with the point's call failing.
RunResult runFailingAt(const FaultPoint& point, const std::vector<std::string>& argv);

}  // namespace nestora::test
