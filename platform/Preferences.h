#pragma once

// The preferences system: one domain is one property-list file,
// "/var/mobile/Library/Preferences/<domain>.plist". Setting a value changes
// this object only; synchronize merges this process's pending changes into
// what is on disk now and replaces the file atomically, so keys another
// process wrote meanwhile survive and a crash never leaves a torn file.
//
// One instance per program (the tool's run, the application object); there
// is no hidden global state.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Plist.h"

namespace nestora::platform {

inline constexpr std::string_view kPreferencesFolder = "/var/mobile/Library/Preferences";

// "/var/mobile/Library/Preferences/<domain>.plist"
std::string preferencesPathForDomain(std::string_view domain);

class Preferences {
public:
    // CFPreferencesCopyAppValue: this process's pending value if it set or
    // removed the key, otherwise the value in the file now. None when there
    // is no such key or the file is missing or unreadable.
    std::optional<plist::Value> copyAppValue(std::string_view key, std::string_view domain) const;

    // CFPreferencesSetAppValue: in memory until synchronize; no value removes the key.
    void setAppValue(std::string_view key, std::optional<plist::Value> value, std::string_view domain);

    // CFPreferencesAppSynchronize: re-reads the file, applies the pending
    // changes of this domain and writes a binary property list atomically.
    // With nothing pending it writes nothing. True on success; on failure the
    // pending changes are kept.
    bool appSynchronize(std::string_view domain);

private:
    // domain -> key -> new value (none = removed)
    std::map<std::string, std::map<std::string, std::optional<plist::Value>, std::less<>>, std::less<>> pending_;
};

// The application's standard user defaults: its own domain in the same store.
class UserDefaults {
public:
    UserDefaults(Preferences& preferences, std::string domain);

    bool boolForKey(std::string_view key) const;  // false when missing or not a boolean/number
    void setBool(bool value, std::string_view key);
    bool synchronize();

private:
    Preferences& preferences_;
    std::string domain_;
};

}  // namespace nestora::platform
