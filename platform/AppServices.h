#pragma once

// The home-screen services: executable path and localized name of an app by
// its display identifier. A display identifier is an app's bundle identifier,
// or for one role of a multi-role bundle "<bundle identifier>-<role>".

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nestora::platform {

class AppServices {
public:
    virtual ~AppServices() = default;
    // SBSCopyExecutablePathForDisplayIdentifier; none for an unknown app.
    virtual std::optional<std::string> executablePathForDisplayIdentifier(std::string_view displayIdentifier) const = 0;
    // SBSCopyLocalizedApplicationNameForDisplayIdentifier; none for an unknown app.
    virtual std::optional<std::string> localizedApplicationNameForDisplayIdentifier(std::string_view displayIdentifier) const = 0;

    // The bundle identifier of every bundle in the two application folders,
    // in the order a scan of them meets them ("/Applications" less names
    // beginning with ".", then each container), when the services hold
    // them already: a caller that would scan the folders itself takes these
    // instead. None when they do not.
    virtual std::optional<std::vector<std::string>> scannedBundleIdentifiers() const { return std::nullopt; }

    // Lookups made while a Batch of these services lives answer from one
    // look at the device: the services look for changes at the first of
    // them, and at each Info.plist once, not on every lookup. For a caller
    // that makes thousands of lookups for one picture of the device (a home
    // screen reload, a list of every app); what changes meanwhile is seen
    // after the batch. Batches may nest: the outermost one counts.
    class Batch {
    public:
        explicit Batch(const AppServices& services) : services_(services) { services_.beginBatch(); }
        ~Batch() { services_.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        const AppServices& services_;
    };

protected:
    virtual void beginBatch() const {}
    virtual void endBatch() const {}
};

// The real services over the device root. The index of every bundle in
// "/Applications" and in the containers of "/var/mobile/Applications" is built
// on first use and brought up to date when one of those folders changes
// (the two folders and each container are watched with inotify, never each
// bundle): only the folders that changed are listed again, and only
// Info.plists whose files changed are read again. Lookups are hash-table
// lookups; one that lands on a bundle in /Applications first looks at the
// identity of its Info.plist (one stat; once in a Batch), which may have
// been written in place. The index is built with the rights of the user who ran the
// program (see privileged::InvokerRights), so a set-user-id run indexes only
// what that user could read.
//
// Roles: "<id>-<Role>" resolves through the bundle <id> when its Info.plist
// declares the role in "UIRoleDisplayNames" (role -> localized name). Its
// executable path is "<folder of the bundle>/<Role>.app/<executable>" when
// that file exists (the photo bundle's "Camera.app" and "Photos.app" role
// folders, which the icon lookup knows by name), otherwise the bundle's own
// executable. Role and executable names are plain path components (a bundle
// whose executable is named otherwise is unknown, and so is a role), and
// the role folder is looked for with the rights of the user who ran the
// program, never through a link (AppBundlePath.h).
class DeviceAppServices final : public AppServices {
public:
    DeviceAppServices();
    ~DeviceAppServices() override;
    DeviceAppServices(const DeviceAppServices&) = delete;
    DeviceAppServices& operator=(const DeviceAppServices&) = delete;

    std::optional<std::string> executablePathForDisplayIdentifier(std::string_view displayIdentifier) const override;
    std::optional<std::string> localizedApplicationNameForDisplayIdentifier(std::string_view displayIdentifier) const override;
    std::optional<std::vector<std::string>> scannedBundleIdentifiers() const override;

    // Number of indexed bundles (refreshing first if needed).
    std::size_t bundleCount() const;

protected:
    void beginBatch() const override;
    void endBatch() const override;

private:
    struct Index;
    const Index& current() const;
    // The bundle (and role) a display identifier lands on in current(),
    // checked for an Info.plist written in place.
    struct Resolved;
    Resolved resolved(std::string_view displayIdentifier) const;
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace nestora::platform
