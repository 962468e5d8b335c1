#include "app/ToolCommands.h"

#include "app/ShellQuoting.h"
#include "common/CategoryNaming.h"
#include "platform/DeviceRoot.h"
#include "platform/Shell.h"

namespace nestora::app {

namespace {

std::string directoryWord(std::string_view bundleIdentifier) {
    return doubleQuotedWord(categoryDirectoryName(bundleIdentifier));
}

}  // namespace

std::string toolWord() {
    return doubleQuotedWord(platform::hostPath(kToolDevicePath));
}

std::string createCategoryCommandLine(std::string_view name) {
    return toolWord() + " -c " + doubleQuotedWord(name);
}

std::string deleteCategoryCommandLine(std::string_view bundleIdentifier) {
    return toolWord() + " -d " + directoryWord(bundleIdentifier);
}

// The directory name comes last, after "--": whatever it holds, the tool's
// option parser takes it as the category, never as an option.
std::string renameCategoryCommandLine(std::string_view bundleIdentifier, std::string_view name) {
    return toolWord() + " -n " + doubleQuotedWord(name) + " -- " + directoryWord(bundleIdentifier);
}

std::string setIconCommandLine(std::string_view iconPath, std::string_view bundleIdentifier) {
    return toolWord() + " -i " + doubleQuotedWord(iconPath) + " -- " + directoryWord(bundleIdentifier);
}

bool runToolCommandLine(const std::string& commandLine) {
    return platform::runShell(commandLine) == 0;
}

}  // namespace nestora::app
