#pragma once

// Home-screen services that answer from two tables, so a test decides which
// apps have an executable and a name without laying out bundles.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/AppServices.h"

namespace nestora::test {

class FakeAppServices final : public platform::AppServices {
public:
    std::map<std::string, std::string, std::less<>> executables;
    std::map<std::string, std::string, std::less<>> names;
    mutable int nameLookups = 0;

    std::optional<std::string> executablePathForDisplayIdentifier(std::string_view id) const override {
        const auto found = executables.find(id);
        if (found == executables.end()) return std::nullopt;
        return found->second;
    }
    std::optional<std::string> localizedApplicationNameForDisplayIdentifier(std::string_view id) const override {
        ++nameLookups;
        const auto found = names.find(id);
        if (found == names.end()) return std::nullopt;
        return found->second;
    }
};

}  // namespace nestora::test
