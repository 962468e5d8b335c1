#include "backup/CategoryTool.h"

#include "platform/DeviceRoot.h"
#include "platform/Process.h"

namespace nestora::backup {

bool runCategoryTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{platform::hostPath(kToolDevicePath)};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return platform::runProgram(argv, true) == 0;
}

bool repairAndNameCategory(std::string_view directoryName, bool repair, const std::string* displayName) {
    std::vector<std::string> arguments;
    if (repair) arguments.push_back("--repair=" + std::string(directoryName));
    if (displayName != nullptr) {
        // The name is applied after every option, to the operand.
        arguments.push_back("--name=" + *displayName);
        arguments.emplace_back("--");
        arguments.emplace_back(directoryName);
    }
    return arguments.empty() || runCategoryTool(arguments);
}

bool setCategoryIconFrom(std::string_view directoryName, std::string_view iconDevicePath) {
    return runCategoryTool({"--icon=" + std::string(iconDevicePath), "--", std::string(directoryName)});
}

bool layDeviceLockWithTool() { return runCategoryTool({"--"}); }

bool deleteCategoryWithTool(std::string_view directoryName) {
    return runCategoryTool({"--delete=" + std::string(directoryName)});
}

}  // namespace nestora::backup
