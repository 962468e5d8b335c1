#include "tool/StagedBatch.h"

#include <string>

#include "common/CategoryNaming.h"
#include "platform/BatchFlush.h"
#include "tool/CategoryStore.h"
#include "tool/PathText.h"

namespace nestora::tool {

void StagedBatch::publishAll(std::FILE* out, const std::optional<privileged::FileDescriptor>& preferences) {
    if (bundles_.empty()) {
        return;
    }
    const auto applications = privileged::openFolder(kApplicationsFolder);
    const auto fail = [&](const StagedBundle& bundle) {
        printMessage(out, "ERROR: Unable to create directory: %s\n", joinPath(kApplicationsFolder, bundle.bundleName()));
    };
    bool flushed = applications && privileged::syncFileSystem(*applications);
    if (flushed && preferences && !privileged::onSameFileSystem(*applications, *preferences)) {
        flushed = privileged::syncFileSystem(*preferences);
    }
    if (!flushed) {
        // Nothing is known to be on disk: nothing is published, every
        // staging folder goes.
        for (const StagedBundle& bundle : bundles_) fail(bundle);
        bundles_.clear();
        return;
    }
    std::vector<bool> sealed(bundles_.size(), false);
    for (std::size_t i = 0; i < bundles_.size(); ++i) sealed[i] = bundles_[i].seal();
    const bool sealsFlushed = privileged::syncFileSystem(*applications);
    for (std::size_t i = 0; i < bundles_.size(); ++i) {
        if (!sealsFlushed || !sealed[i] || bundles_[i].publishUnflushed() != StagedBundle::Outcome::Published) {
            fail(bundles_[i]);
        }
    }
    privileged::syncFolder(*applications);
    bundles_.clear();
}

}  // namespace nestora::tool
