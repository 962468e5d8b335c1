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
    model::IconPaths iconPaths;
    bool extensionInstalled = false;
    platform::Preferences preferencesStore;

    void setRespringNeeded() override { ++respringRequests; }
    void setHiddenFromSpringBoard(bool hidden, const std::string& displayIdentifier) override {
        hideCalls.push_back({hidden, displayIdentifier});
        if (services != nullptr) {
            model::hideFromSpringBoard(*this, *services, hidden, displayIdentifier);
        }
    }
    model::AvailableApps& items() override { return availableApps; }
    model::IconPaths& icons() override { return iconPaths; }
    bool hasNestoraSB() const override { return extensionInstalled; }
    platform::Preferences& preferences() override { return preferencesStore; }
    // Tests that look names up set `services`; without it no app is known.
    const platform::AppServices& appServices() const override { return services != nullptr ? *services : none_; }

private:
    class NoServices final : public platform::AppServices {
    public:
        std::optional<std::string> executablePathForDisplayIdentifier(std::string_view) const override { return {}; }
        std::optional<std::string> localizedApplicationNameForDisplayIdentifier(std::string_view) const override {
            return {};
        }
    };
    NoServices none_;
};

}  // namespace nestora::test
