#include "platform/Preferences.h"

#include "platform/Files.h"

namespace nestora::platform {

std::string preferencesPathForDomain(std::string_view domain) {
    std::string path(kPreferencesFolder);
    path += '/';
    path += domain;
    path += ".plist";
    return path;
}

std::optional<plist::Value> Preferences::copyAppValue(std::string_view key, std::string_view domain) const {
    if (auto d = pending_.find(domain); d != pending_.end()) {
        if (auto k = d->second.find(key); k != d->second.end()) {
            return k->second;
        }
    }
    auto stored = plist::readFile(preferencesPathForDomain(domain));
    if (!stored) return std::nullopt;
    const plist::Value* value = stored->find(key);
    if (value == nullptr) return std::nullopt;
    return *value;
}

void Preferences::setAppValue(std::string_view key, std::optional<plist::Value> value, std::string_view domain) {
    auto d = pending_.find(domain);
    if (d == pending_.end()) d = pending_.emplace(std::string(domain), decltype(d->second){}).first;
    d->second.insert_or_assign(std::string(key), std::move(value));
}

bool Preferences::appSynchronize(std::string_view domain) {
    auto d = pending_.find(domain);
    if (d == pending_.end() || d->second.empty()) return true;

    const std::string path = preferencesPathForDomain(domain);
    // Start from what is on disk now, so that another writer's keys survive.
    // A file that cannot be parsed holds nothing we could keep.
    plist::Dictionary merged;
    if (auto stored = plist::readDictionary(path)) merged = std::move(*stored);
    for (const auto& [key, value] : d->second) {
        if (value) {
            merged.insert_or_assign(key, *value);
        } else {
            merged.erase(key);
        }
    }
    const std::string bytes = plist::toBinary(plist::Value(std::move(merged)));
    if (bytes.empty() || !files::writeFileAtomically(path, bytes, 0600)) return false;
    pending_.erase(d);
    return true;
}

UserDefaults::UserDefaults(Preferences& preferences, std::string domain)
    : preferences_(preferences), domain_(std::move(domain)) {}

bool UserDefaults::boolForKey(std::string_view key) const {
    auto value = preferences_.copyAppValue(key, domain_);
    if (!value) return false;
    if (auto b = value->boolean()) return *b;
    if (auto i = value->integer()) return *i != 0;
    return false;
}

void UserDefaults::setBool(bool value, std::string_view key) {
    preferences_.setAppValue(key, plist::Value(value), domain_);
}

bool UserDefaults::synchronize() { return preferences_.appSynchronize(domain_); }

}  // namespace nestora::platform
