#include "tool/CommandLine.h"

#include <getopt.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/CategoryNaming.h"
#include "tool/CategoryChanges.h"
#include "tool/CategoryEnumeration.h"
#include "tool/CategoryLock.h"
#include "tool/CategoryMaintenance.h"
#include "tool/CategoryOperand.h"
#include "tool/CategoryRestore.h"
#include "tool/CategoryStore.h"
#include "tool/InvokerCheck.h"
#include "tool/TextArguments.h"

namespace nestora::tool {

namespace {

constexpr const char* kShortOptions = "ls:c:d:i:n:r:u:h";

constexpr option kLongOptions[] = {
    {"list", no_argument, nullptr, 'l'},
    {"show", required_argument, nullptr, 's'},
    {"create", required_argument, nullptr, 'c'},
    {"delete", required_argument, nullptr, 'd'},
    {"icon", required_argument, nullptr, 'i'},
    {"name", required_argument, nullptr, 'n'},
    {"repair", required_argument, nullptr, 'r'},
    {"repairall", no_argument, nullptr, 0},
    {"upgrade", required_argument, nullptr, 'u'},
    {"upgradeall", no_argument, nullptr, 0},
    // Not in the usage text: nestora-backup's way to make many categories in
    // one run (CategoryRestore.h).
    {"restore", required_argument, nullptr, 0},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// What -i and -n leave to be done after all options.
struct PendingChange {
    std::optional<std::string> iconPath;
    std::optional<std::string> displayName;
};

void applyPendingChange(const ToolContext& context, CategoryLock& lock, const PendingChange& pending, int argc,
                        char** argv) {
    if (!pending.iconPath && !pending.displayName) {
        return;
    }
    if (optind >= argc) {
        std::fputs("ERROR: Must specify directory name of category to change.\n", context.out);
        return;
    }
    auto identifier = identifierForCategoryOperand(context.out, argv[optind]);
    // Looked at under the lock: another run may be deleting it.
    if (!identifier || !lock.hold()) {
        return;
    }
    if (!categoryBundleExists(*identifier)) {
        std::fputs("ERROR: Category does not exist or application directory is missing.\n", context.out);
        return;
    }
    if (pending.iconPath) {
        setCategoryIcon(context, *identifier, *pending.iconPath);  // an icon wins over a name
    } else {
        renameCategory(context.out, *identifier, *pending.displayName);
    }
}

// Runs an operation that takes a category operand, unless the operand is no
// plain category name.
template <typename Operation>
void withCategory(const ToolContext& context, const char* operand, Operation operation) {
    if (auto identifier = identifierForCategoryOperand(context.out, operand)) {
        operation(*identifier);
    }
}

// The same for an operation that changes it: under the device lock.
template <typename Operation>
void changingCategory(const ToolContext& context, CategoryLock& lock, const char* operand, Operation operation) {
    withCategory(context, operand, [&](const std::string& identifier) {
        if (lock.hold()) {
            operation(identifier);
        }
    });
}

}  // namespace

void printUsage(std::FILE* out) {
    std::fputs(
        "Usage: NestoraTool <flag> [extra params]\n"
        "\n"
        "  -l, --list                      List categories\n"
        "  -s, --show <category>           List items in <category>\n"
        "  -c, --create <name>             Create new category named <name>\n"
        "  -d, --delete <category>         Delete category with app. directory\n"
        "                                    named <category>\n"
        "  -i, --icon <file> <category>    Use copy of <file> as icon for <category>\n"
        "  -n, --name <name> <category>    Rename <category> to <name>\n"
        "  -r, --repair <category>         Repair <category> by making sure all required\n"
        "                                    files exist, permissions are set, and format\n"
        "                                    matches latest version of Nestora\n"
        "      --repairall                 Repair all categories\n"
        "  -u, --upgrade <category>        Upgrade <category> to latest version of Nestora\n"
        "                                    software and format\n"
        "      --upgradeall                Upgrade all categories\n",
        out);
}

int runTool(int argc, char** argv, const ToolContext& given) {
    // The preferences folder is opened once, here: its owner decides whom
    // the tool serves, and every operation works through this descriptor.
    const InvokerCheck invoker = checkInvoker();
    if (!invoker.served) {
        std::fputs(std::string(kInvokerRefusal).c_str(), given.out);
        return 1;
    }
    ToolContext context = given;
    context.preferencesFolder = &invoker.preferencesFolder;
    // Laid by any run, so that a restore running as the user finds it.
    layCategoryLockFile();
    if (argc <= 1) {
        printUsage(context.out);
        return 0;
    }
    // Taken before the first operation that changes categories, and held to
    // the end of the run.
    CategoryLock lock(context.out, context.lockWait);
    PendingChange pending;
    optind = 0;  // a full reset of the parser, so a second run in one process starts afresh
    for (;;) {
        int longIndex = -1;
        const int option = getopt_long(argc, argv, kShortOptions, kLongOptions, &longIndex);
        if (option == -1) {
            break;
        }
        switch (option) {
            case 'l':
                printCategoryList(context);
                break;
            case 's':
                withCategory(context, optarg, [&](const std::string& id) { showCategory(context, id); });
                break;
            case 'c':
                if (lock.hold()) {
                    createCategory(context, displayNameFromArgument(optarg));
                }
                break;
            case 'd':
                changingCategory(context, lock, optarg, [&](const std::string& id) { deleteCategory(context, id); });
                break;
            case 'i':
                pending.iconPath = optarg;
                break;
            case 'n':
                pending.displayName = displayNameFromArgument(optarg);
                break;
            case 'r':
                changingCategory(context, lock, optarg, [&](const std::string& id) { repairCategory(context, id); });
                break;
            case 'u':
                changingCategory(context, lock, optarg, [&](const std::string& id) { upgradeCategory(context, id); });
                break;
            case 'h':
                printUsage(context.out);
                break;
            case 0: {
                const std::string_view name = longIndex >= 0 ? kLongOptions[longIndex].name : "";
                if (name == "repairall" && lock.hold()) {
                    repairEveryCategory(context);
                } else if (name == "upgradeall" && lock.hold()) {
                    upgradeEveryCategory(context);
                } else if (name == "restore" && lock.hold()) {
                    restoreCategories(context, optarg);
                }
                break;
            }
            default:
                break;  // the parser has printed its diagnostic; go on
        }
        // One operation's messages reach the output before the parser's
        // diagnostics for a later option.
        std::fflush(context.out);
    }
    applyPendingChange(context, lock, pending, argc, argv);
    std::fflush(context.out);
    return 0;
}

}  // namespace nestora::tool
