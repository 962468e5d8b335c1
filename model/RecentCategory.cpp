#include "model/RecentCategory.h"

namespace nestora::model {

bool isRecentCategoryIdentifier(std::string_view categoryBundleIdentifier) {
    return categoryBundleIdentifier.ends_with(kRecentIdentifierSuffix);
}

bool isRecentPreferencesFileName(std::string_view preferencesFileName) {
    return preferencesFileName == kRecentPreferencesFileName;
}

bool isCategoryModifiable(std::string_view categoryBundleIdentifier, bool hasNestoraSB) {
    return !(hasNestoraSB && isRecentCategoryIdentifier(categoryBundleIdentifier));
}

}  // namespace nestora::model
