#include "tool/CategoryPreferencesFile.h"

#include "common/CategoryNaming.h"

namespace nestora::tool {

namespace {

std::optional<privileged::FileContents> readPreferencesFile(const privileged::FileDescriptor& folder,
                                                            std::string_view identifier) {
    return privileged::readOwnedFileAt(folder, preferencesFileName(identifier), plist::kMaxInputBytes);
}

}  // namespace

std::string preferencesFileName(std::string_view identifier) {
    std::string name(identifier);
    name.append(".plist");
    return name;
}

PreferencesFolder openPreferencesFolder() { return privileged::openFolder(kCategoryPreferencesFolder); }

bool preferencesFileExists(const PreferencesFolder& folder, std::string_view identifier) {
    return folder && privileged::entryKind(*folder, preferencesFileName(identifier)) != privileged::EntryKind::Missing;
}

std::optional<std::vector<std::string>> readCategoryItems(const PreferencesFolder& folder,
                                                          std::string_view identifier) {
    std::vector<std::string> items;
    if (!folder) {
        return std::nullopt;
    }
    if (privileged::entryKind(*folder, preferencesFileName(identifier)) == privileged::EntryKind::Missing) {
        return items;
    }
    auto file = readPreferencesFile(*folder, identifier);
    if (!file) {
        return std::nullopt;
    }
    auto value = plist::parse(file->bytes);
    if (!value) {
        return std::nullopt;
    }
    const plist::Value* list = value->find("items");
    if (list == nullptr || !list->isArray()) {
        return items;
    }
    for (const plist::Value& element : *list->array()) {
        if (const std::string* text = element.string()) {
            items.push_back(*text);
        }
    }
    return items;
}

bool removeCategoryItems(const PreferencesFolder& folder, std::string_view identifier) {
    if (!folder) {
        return false;
    }
    const std::string name = preferencesFileName(identifier);
    if (privileged::entryKind(*folder, name) == privileged::EntryKind::Missing) {
        return true;
    }
    auto file = readPreferencesFile(*folder, identifier);
    if (!file) {
        return false;
    }
    auto value = plist::parse(file->bytes);
    plist::Dictionary* dictionary = value ? value->dictionary() : nullptr;
    if (dictionary == nullptr || dictionary->erase("items") == 0) {
        return true;  // nothing stored under "items"
    }
    privileged::ReplaceOptions options;
    options.mode = file->mode & 0777;
    options.owner = file->owner;
    return privileged::replaceFileAt(*folder, name, plist::toBinary(*value), options) ==
           privileged::ReplaceResult::Replaced;
}

bool createEmptyPreferencesFile(const PreferencesFolder& folder, std::string_view identifier, bool flushLater) {
    if (!folder || !privileged::createEmptyFileAt(*folder, preferencesFileName(identifier), 0644)) {
        return false;
    }
    // On disk before the bundle that needs it is renamed into place.
    if (!flushLater) {
        privileged::syncFolder(*folder);
    }
    return true;
}

bool preferencesFileIsEmpty(const PreferencesFolder& folder, std::string_view identifier) {
    if (!folder) {
        return false;
    }
    auto file = readPreferencesFile(*folder, identifier);
    return file && file->bytes.empty();
}

privileged::ReplaceResult writeNewPreferencesFile(const PreferencesFolder& folder, std::string_view identifier,
                                                  const plist::Dictionary& contents,
                                                  const std::optional<privileged::FileOwner>& owner, bool overEmpty) {
    if (!folder) {
        return privileged::ReplaceResult::WriteFailed;
    }
    privileged::ReplaceOptions options;
    options.mode = 0644;
    options.owner = owner;
    options.onlyIfAbsent = !(overEmpty && preferencesFileIsEmpty(folder, identifier));
    return privileged::replaceFileAt(*folder, preferencesFileName(identifier), plist::toBinary(plist::Value(contents)),
                                     options);
}

RemoveOutcome removePreferencesFile(const PreferencesFolder& folder, std::string_view identifier) {
    if (!folder) {
        return RemoveOutcome::Missing;  // nothing this run could reach is there
    }
    const std::string name = preferencesFileName(identifier);
    if (privileged::entryKind(*folder, name) == privileged::EntryKind::Missing) {
        return RemoveOutcome::Missing;
    }
    if (!privileged::removeTreeAt(*folder, name)) {
        return RemoveOutcome::Failed;
    }
    privileged::syncFolder(*folder);
    return RemoveOutcome::Removed;
}

}  // namespace nestora::tool
