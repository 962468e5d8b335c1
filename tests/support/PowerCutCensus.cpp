#include "tests/support/PowerCutCensus.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/RunProgram.h"

namespace nestora::test {

namespace fs = std::filesystem;

namespace {

std::string temporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string name = std::string(base != nullptr ? base : "/tmp") + "/nestora-powercut-XXXXXX";
    return ::mkdtemp(name.data()) != nullptr ? name : std::string();
}

}  // namespace

PowerCutCensus::PowerCutCensus(const std::string& layoutRoot, const std::vector<std::string>& argv, std::size_t sample,
                               const std::vector<std::string>& extraEnvironment)
    : sample_(sample) {
    const std::string recording = temporaryFolder();
    fs::copy(layoutRoot, recording, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    model_.emplace(recording);
    const std::string log = recording + ".log";
    std::vector<std::string> command{"/usr/bin/strace", "-f", "-qq", "-y", "-xx", "-s", "67108864", "-e",
                                     "signal=none",     "-e", std::string("trace=") + kPowerCutTraceSet, "-o", log,
                                     "--"};
    command.insert(command.end(), argv.begin(), argv.end());
    std::vector<std::string> environment = extraEnvironment;
    environment.push_back("NESTORA_DEVICE_ROOT=" + recording);
    runProgram(command, environment);
    model_->addCalls(readSyscallLog(log, true));
    fs::remove(log);
    fs::remove_all(recording);
    states_ = model_->states();
}

std::size_t PowerCutCensus::forEachState(
    const std::function<void(const std::string& root, const std::string& state)>& judge) const {
    const bool full = std::getenv("NESTORA_FULL_CENSUS") != nullptr;
    const std::size_t step =
        full || states_.size() <= sample_ || sample_ == 0 ? 1 : (states_.size() + sample_ - 1) / sample_;
    std::size_t judged = 0;
    for (std::size_t i = 0; i < states_.size(); i += step) {
        const std::string root = temporaryFolder();
        model_->write(states_[i], root);
        judge(root, states_[i].description);
        fs::remove_all(root);
        ++judged;
    }
    return judged;
}

std::string PowerCutCensus::summary(std::size_t judged) const {
    return std::to_string(changes()) + " changes, " + std::to_string(states()) + " distinct states (" +
           std::to_string(judged) + " judged)";
}

}  // namespace nestora::test
