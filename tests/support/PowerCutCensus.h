#pragma once

// A power-loss census of one run: the run is recorded once under strace, on
// a copy of the laid-out device, and every state a power cut anywhere in it
// could leave (PowerCutModel.h) is written as a device of its own for a
// judge. The test command judges a fixed sample of the states of a long
// run; with NESTORA_FULL_CENSUS set, every one.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/PowerCutModel.h"

namespace nestora::test {

class PowerCutCensus {
public:
    // Records `argv` run on a copy of the device at `layoutRoot` (its
    // children too), with NESTORA_DEVICE_ROOT naming the copy.
    // In the test command at most `sample` states are judged, spread
    // evenly over the run.
    PowerCutCensus(const std::string& layoutRoot, const std::vector<std::string>& argv, std::size_t sample,
                   const std::vector<std::string>& extraEnvironment = {});

    std::size_t changes() const { return model_->changes(); }
    std::size_t states() const { return states_.size(); }

    // Writes the states (all, or a sample spread over the run) one after
    // another into a fresh folder and calls `judge` with its path and what
    // the state is; the folder goes afterwards. Returns how many were judged.
    std::size_t forEachState(const std::function<void(const std::string& root, const std::string& state)>& judge) const;

    // "N changes, M distinct states (J judged)"
    std::string summary(std::size_t judged) const;

private:
    std::optional<PowerCutModel> model_;
    std::size_t sample_;
    std::vector<PowerCutModel::State> states_;
};

}  // namespace nestora::test
