#pragma once

// An application object for tests: it records what the model asks of it.
// With `services` set, hiding goes through the real hide library path
// (model::hideFromSpringBoard); otherwise it is only recorded.

#include <string>
#include <utility>
#include <vector>

#include "model/ApplicationObject.h"

namespace nestora::test {

class RecordingApplication final : public model::ApplicationObject {
public:
    struct HideCall {
        bool hidden;
        std::string displayIdentifier;
        bool operator==(const HideCall&) const = default;
    };

    const platform::AppServices* services = nullptr;
    std::vector<HideCall> hideCalls;
    int respringRequests = 0;
    model::AvailableApps availableApps;

    void setRespringNeeded() override { ++respringRequests; }
    void setHiddenFromSpringBoard(bool hidden, const std::string& displayIdentifier) override {
        hideCalls.push_back({hidden, displayIdentifier});
        if (services != nullptr) {
            model::hideFromSpringBoard(*this, *services, hidden, displayIdentifier);
        }
    }
    model::AvailableApps& items() override { return availableApps; }
};

}  // namespace nestora::test
