#include "tool/CategoryChanges.h"

#include <optional>
#include <string>
#include <vector>

#include "common/CategoryNaming.h"
#include "common/IconHiding.h"
#include "platform/PrivilegedFiles.h"
#include "tool/BundleStaging.h"
#include "tool/CategoryIdentity.h"
#include "tool/CategoryPreferencesFile.h"
#include "tool/CategoryStore.h"
#include "tool/PathText.h"
#include "tool/TerminalText.h"

namespace nestora::tool {

namespace {

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);

// Un-hides the items, in list order, and removes "items" from the file.
bool unhideItems(const ToolContext& context, std::string_view identifier, const std::vector<std::string>& items) {
    if (context.appServices != nullptr && context.iconHiding != nullptr && context.iconHiding->available()) {
        std::vector<std::optional<std::string>> paths;
        paths.reserve(items.size());
        for (const std::string& item : items) {
            paths.push_back(infoPlistPathForDisplayIdentifier(*context.appServices, item));
        }
        context.iconHiding->setHiddenAll(paths, false);
    }
    if (!removeCategoryItems(context.preferences(), identifier)) {
        printMessage(context.out, "ERROR: Unable to save preferences for %s\n", identifier);
        return false;
    }
    return true;
}

std::optional<std::vector<std::string>> readItemsOrSay(const ToolContext& context, std::string_view identifier) {
    auto items = readCategoryItems(context.preferences(), identifier);
    if (!items) {
        printMessage(context.out, "ERROR: Unable to read preferences for %s\n", identifier);
    }
    return items;
}

}  // namespace

bool deleteCategory(const ToolContext& context, std::string_view identifier) {
    if (!mayChangeCategory(context.out, identifier)) {
        return false;
    }
    if (preferencesFileExists(context.preferences(), identifier)) {
        const auto items = readItemsOrSay(context, identifier);
        if (!items) {
            return false;
        }
        unhideItems(context, identifier, *items);
    }
    return removeCategoryFiles(context, identifier);
}

bool unhideCategoryItems(const ToolContext& context, std::string_view identifier) {
    const auto items = readItemsOrSay(context, identifier);
    return items && unhideItems(context, identifier, *items);
}

bool hasPngSignature(std::string_view bytes) { return bytes.starts_with(kPngSignature); }

bool setCategoryIcon(const ToolContext& context, std::string_view identifier, std::string_view sourcePath) {
    if (!mayChangeCategory(context.out, identifier)) {
        return false;
    }
    const privileged::InvokerRead source = privileged::readFileAsInvoker(sourcePath, kMaxIconBytes);
    if (!source.bytes) {
        // The path may be a file name someone else chose (the app's icon
        // folders): printed in a form no terminal acts on.
        printMessage(context.out, "ERROR: Unable to read icon file: %s\n", printableText(sourcePath));
        return false;
    }
    if (!hasPngSignature(*source.bytes)) {
        printMessage(context.out, "ERROR: Icon file is not a PNG image: %s\n", printableText(sourcePath));
        return false;
    }
    return writeCategoryIcon(context.out, identifier, *source.bytes);
}

bool writeCategoryIcon(std::FILE* out, std::string_view identifier, std::string_view bytes) {
    const std::string bundlePath = bundlePathForIdentifier(identifier);
    const std::string iconPath = joinPath(bundlePath, kIconFileName);
    auto folder = privileged::openFolder(bundlePath);
    if (!folder) {
        printMessage(out, "ERROR: Unable to write file: %s\n", iconPath);
        return false;
    }
    privileged::ReplaceOptions options;
    options.mode = 0644;
    switch (replaceBundleFile(*folder, categoryDirectoryName(identifier), kIconFileName, bytes, options)) {
        case privileged::ReplaceResult::Replaced:
            return true;
        case privileged::ReplaceResult::RenameFailed:
            printMessage(out, "ERROR: Unable to remove %s\n", iconPath);
            return false;
        case privileged::ReplaceResult::WriteFailed:
        case privileged::ReplaceResult::AlreadyExists:
            break;
    }
    printMessage(out, "ERROR: Unable to write file: %s\n", iconPath);
    return false;
}

}  // namespace nestora::tool
