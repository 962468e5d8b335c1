#include "ads/AdStorage.h"

#include "platform/Files.h"
#include "platform/Superuser.h"
#include "platform/TreeOwnership.h"

namespace nestora::ads {

namespace {

void setStorageModes() {
    (void)privileged::setModeOfEntry(kDocumentsFolder, kStorageFolderMode);
    (void)privileged::setModeOfEntry(kMobclixDatabase, kDatabaseMode);
}

}  // namespace

void prepareAdStorage() {
    // An existing folder is no error.
    (void)files::createFolder(kDocumentsFolder, kStorageFolderMode);
    (void)files::createFolder(kAdMobCacheFolder, kStorageFolderMode);
    setStorageModes();
}

void endApplicationFixup(std::optional<privileged::FileOwner> owner) {
    setStorageModes();
    if (!owner) {
        return;
    }
    platform::runAsSuperuser([&owner] { (void)privileged::handTreeToOwner(kDocumentsFolder, *owner); });
}

}  // namespace nestora::ads
