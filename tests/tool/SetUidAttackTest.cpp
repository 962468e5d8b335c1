// What an unprivileged user could once do with the set-user-id tool: touch
// bundles that are no categories, crash it with a deep property list, make it
// read root's files through a link or a hard link. Each attack must leave the
// system as it was and reveal nothing.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/ExpandingPlist.h"
#include "tests/support/PythonPlist.h"
#include "tests/tool/PrivilegedRun.h"

namespace nestora::test {
namespace {

namespace fs = std::filesystem;

// An "items" array whose arrays nest `levels` deep for libplist, while a
// reader that ends a processing instruction at the first "?>" sees every
// level closed at once.
std::string itemsNestedPastTheGuard(int levels, const std::string& key = "items") {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>" + key +
                      "</key><array>";
    for (int i = 0; i < levels; ++i) xml += "<array><?x \"?></array>\"?>";
    for (int i = 0; i < levels; ++i) xml += "</array>";
    return xml + "</array></dict></plist>\n";
}

class ToolSetUidAttack : public ToolPrivilegedRun {
protected:
    // A file only root may read.
    void writeRootOnly(const std::string& devicePath, const std::string& pythonLiteral) const {
        device.makeFolder(fs::path(devicePath).parent_path().string());
        ASSERT_TRUE(plistlibWrite(device.host(devicePath), pythonLiteral, "xml"));
        ASSERT_EQ(chmod(device.host(devicePath).c_str(), 0600), 0);
    }
    void giveToUser(const std::string& devicePath) const {
        ASSERT_EQ(lchown(device.host(devicePath).c_str(), user.uid, user.gid), 0);
    }
};

TEST_F(ToolSetUidAttack, OnlyCategoriesAreDeletedRenamedOrGivenAnIcon) {
    device.makeApp("/Applications/MobileNotes.app", "com.apple.mobilenotes", "Notes", "MobileNotes");
    device.makeApp("/Applications/MobileMail.app", "com.apple.mobilemail", "Mail", "MobileMail");
    device.writeFile("/Applications/Broken.app/Info.plist", "<plist><dict><key>Broken");
    device.writeFile("/tmp/pic.png", pngBytes("pwned"));
    const std::string notes = device.readFile("/Applications/MobileNotes.app/Info.plist");
    const std::string broken = device.readFile("/Applications/Broken.app/Info.plist");

    const std::vector<std::pair<std::vector<std::string>, std::string>> attacks = {
        {{"-d", "MobileSafari"}, "MobileSafari"},
        {{"-n", "Pwned", "MobileNotes"}, "MobileNotes"},
        {{"-i", "/tmp/pic.png", "MobileMail"}, "MobileMail"},
        {{"-d", "Nestora"}, "Nestora"},
        {{"-n", "Pwned", "Broken"}, "Broken"},
        {{"-r", "MobileNotes"}, "MobileNotes"},
    };
    for (const auto& [arguments, operand] : attacks) {
        RunResult run = runAsUser(arguments);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.out, "ERROR: Not a category: " + operand + "\n") << arguments.front() << " " << operand;
    }
    EXPECT_TRUE(device.exists("/Applications/MobileSafari.app/Info.plist"));
    EXPECT_EQ(device.readFile("/Applications/MobileNotes.app/Info.plist"), notes);
    EXPECT_FALSE(device.exists("/Applications/MobileMail.app/icon.png"));
    EXPECT_TRUE(device.exists(kInstalledTool));
    EXPECT_EQ(device.readFile("/Applications/Broken.app/Info.plist"), broken);
    EXPECT_FALSE(device.exists(ToolDevice::prefsFile("MobileNotes")));

    // A category is served as before.
    EXPECT_EQ(runAsUser({"-n", "Fun", "Category000"}).out, "");
    EXPECT_NE(device.plistJson("/Applications/Category000.app/Info.plist")->find("\"Fun\""), std::string::npos);
}

TEST_F(ToolSetUidAttack, ServesOnlyRootAndTheOwnerOfThePreferencesFolder) {
    const PrivilegedRunOptions stranger{.uid = 4242, .gid = 4242};
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-d", "Category000"}, {"-s", "Category000"}, {}}) {
        RunResult run = runAsUser(arguments, stranger);
        EXPECT_EQ(run.out, "ERROR: NestoraTool serves only root and the owner of /var/mobile/Library/Preferences\n");
        EXPECT_EQ(run.exitStatus, 1);
    }
    EXPECT_TRUE(device.exists("/Applications/Category000.app/Info.plist"));
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("Category000")));
    EXPECT_NE(runAsUser({"-l"}).out.find("Games"), std::string::npos);
}

TEST_F(ToolSetUidAttack, ADeepListPastTheXmlGuardCrashesNothing) {
    device.writePrefs("Category001", "{'items': ['com.apple.mobilesafari']}");
    giveToUser(ToolDevice::prefsFile("Category001"));
    // In an app's Info.plist, which every name lookup reads.
    device.makeFolder("/var/mobile/Applications/EVIL");
    giveToUser("/var/mobile/Applications");
    giveToUser("/var/mobile/Applications/EVIL");
    device.writeFile("/var/mobile/Applications/EVIL/Evil.app/Info.plist", itemsNestedPastTheGuard(31000, "Junk"));
    // And under "items" of a category.
    device.writeFile(ToolDevice::prefsFile("Category000"), itemsNestedPastTheGuard(31000));
    giveToUser(ToolDevice::prefsFile("Category000"));
    ASSERT_LT(device.readFile(ToolDevice::prefsFile("Category000")).size(), 1024u * 1024u);

    const PrivilegedRunOptions smallStack{.stackKiB = 1024};
    RunResult run = runAsUser({"-s", "Category001"}, smallStack);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "Safari            com.apple.mobilesafari\n");
    run = runAsUser({"-s", "Category000"}, smallStack);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "ERROR: Category does not exist or is damaged.\n");
    run = runAsUser({"-d", "Category000"}, smallStack);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "ERROR: Unable to read preferences for com.quarvek.nestora.Category000\n");
    EXPECT_TRUE(device.exists("/Applications/Category000.app"));
}

TEST_F(ToolSetUidAttack, AppInfoPlistsAreReadWithTheCallersRightsNotThroughLinks) {
    writeRootOnly("/secret/Info.plist", "{'CFBundleIdentifier': 'com.example.secret', 'CFBundleDisplayName': 'Root Secret'}");
    device.makeFolder("/var/mobile/Applications/SPY/Spy.app");
    for (const char* folder : {"/var/mobile/Applications", "/var/mobile/Applications/SPY",
                               "/var/mobile/Applications/SPY/Spy.app"}) {
        giveToUser(folder);
    }
    fs::create_symlink("/secret/Info.plist", device.host("/var/mobile/Applications/SPY/Spy.app/Info.plist"));
    // A root-only folder the user names through a link of their own.
    writeRootOnly("/secret/Hidden.app/Info.plist",
                  "{'CFBundleIdentifier': 'com.example.hidden', 'CFBundleDisplayName': 'Hidden Name'}");
    ASSERT_EQ(chmod(device.host("/secret").c_str(), 0700), 0);
    fs::create_directory_symlink("/secret", device.host("/var/mobile/Applications/LINKED"));
    device.writePrefs("Category000", "{'items': ['com.example.secret', 'com.example.hidden']}");
    giveToUser(ToolDevice::prefsFile("Category000"));

    RunResult run = runAsUser({"-s", "Category000"});
    EXPECT_EQ(run.out, "(null)            com.example.secret\n(null)            com.example.hidden\n");
}

TEST_F(ToolSetUidAttack, HardLinkedOrForeignPreferencesFilesAreNotRead) {
    writeRootOnly("/secret/items.plist", "{'items': ['root-secret-item']}");
    // Where the system lets a user link to root's files, the link lands in
    // the user's folder; here root makes it for them.
    ASSERT_EQ(link(device.host("/secret/items.plist").c_str(), device.host(ToolDevice::prefsFile("Category001")).c_str()),
              0);
    const std::string damaged = "ERROR: Category does not exist or is damaged.\n";
    EXPECT_EQ(runAsUser({"-s", "Category001"}).out, damaged);

    // A file of a third user, not the folder's owner.
    device.writePrefs("Category002", "{'items': ['someone-elses-item']}");
    ASSERT_EQ(chown(device.host(ToolDevice::prefsFile("Category002")).c_str(), 4242, 4242), 0);
    EXPECT_EQ(runAsUser({"-s", "Category002"}).out, damaged);

    // Delete reads neither, so it changes nothing: root's file stays as it
    // was, and so does the name.
    EXPECT_EQ(runAsUser({"-d", "Category001"}).out,
              "ERROR: Unable to read preferences for com.quarvek.nestora.Category001\n");
    EXPECT_TRUE(device.exists(ToolDevice::prefsFile("Category001")));
    EXPECT_NE(device.plistJson("/secret/items.plist")->find("root-secret-item"), std::string::npos);

    // The owner's and root's own files are read.
    device.writePrefs("Category003", "{'items': ['com.apple.mobilesafari']}");
    EXPECT_EQ(runAsUser({"-s", "Category003"}).out, "Safari            com.apple.mobilesafari\n");
    giveToUser(ToolDevice::prefsFile("Category003"));
    EXPECT_EQ(runAsUser({"-s", "Category003"}).out, "Safari            com.apple.mobilesafari\n");
}

TEST_F(ToolSetUidAttack, AListThatWouldExpandPastMemoryIsUnreadableNotEmpty) {
    // Without a limit an old reader asks the system for the 36 GB; with one,
    // its allocation fails. Neither may pass for an empty list.
    PrivilegedRunOptions limited;
#if !defined(__SANITIZE_ADDRESS__)
    limited.addressSpaceKiB = 1024 * 1024;
#endif
    const std::string expanding = expandingList("items");
    ASSERT_LT(expanding.size(), 1024u * 1024u);
    device.writeFile(ToolDevice::prefsFile("Category000"), expanding);
    giveToUser(ToolDevice::prefsFile("Category000"));
    // In an app's Info.plist, which every name lookup reads.
    device.makeFolder("/var/mobile/Applications/BIG/Big.app");
    for (const char* folder : {"/var/mobile/Applications", "/var/mobile/Applications/BIG",
                               "/var/mobile/Applications/BIG/Big.app"}) {
        giveToUser(folder);
    }
    device.writeFile("/var/mobile/Applications/BIG/Big.app/Info.plist", expandingList("Junk", "com.example.big"));
    device.writePrefs("Category001", "{'items': ['com.apple.mobilesafari', 'com.example.big']}");
    giveToUser(ToolDevice::prefsFile("Category001"));

    RunResult run = runAsUser({"-s", "Category000"}, limited);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "ERROR: Category does not exist or is damaged.\n");
    run = runAsUser({"-d", "Category000"}, limited);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "ERROR: Unable to read preferences for com.quarvek.nestora.Category000\n");
    EXPECT_TRUE(device.readFile(ToolDevice::prefsFile("Category000")) == expanding) << "the file changed";
    EXPECT_TRUE(device.exists("/Applications/Category000.app/Info.plist"));

    run = runAsUser({"-s", "Category001"}, limited);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "Safari            com.apple.mobilesafari\n(null)            com.example.big\n");
}

TEST_F(ToolSetUidAttack, TheHideLibraryIsHandedOnlyRealBundlePaths) {
    if (!withProc) {
        GTEST_SKIP() << "the checked hide library is loaded through /proc, and no /proc can be mounted for the chroot";
    }
    // A library that edits what it is handed would edit these as root.
    install(NESTORA_RECORDING_HIDE_LIBRARY, "/usr/lib/hide.dylib", 0755);
    device.makeFolder("/decoy/var/log");  // the recording library writes under the variable the tool ignores
    writeRootOnly("/secret/Hidden.app/Info.plist", "{'CFBundleIdentifier': 'com.example.hidden'}");
    device.writeFile("/secret/Hidden.app/Evil", "#!/bin/sh\n");
    ASSERT_EQ(chmod(device.host("/secret").c_str(), 0700), 0);
    device.makeApp("/System/Thing.app", "com.example.linked", "Thing", "Thing");

    const std::string container = "/var/mobile/Applications/EVIL";
    const auto app = [&](const std::string& bundle, const std::string& literal) {
        device.makeFolder(container + "/" + bundle);
        ASSERT_TRUE(plistlibWrite(device.host(container + "/" + bundle + "/Info.plist"), literal, "xml"));
    };
    // A role that climbs out of the container, to a root-only folder.
    app("Evil.app", "{'CFBundleIdentifier': 'com.example.evil', 'CFBundleExecutable': 'Evil', "
                    "'UIRoleDisplayNames': {'../../../../secret/Hidden': 'Hidden'}}");
    device.writeFile(container + "/Evil.app/Evil", "#!/bin/sh\n");
    // An executable name that does the same.
    app("Up.app", "{'CFBundleIdentifier': 'com.example.up', "
                  "'CFBundleExecutable': '../../../../../System/Thing.app/Thing'}");
    // A bundle folder that is a link out of the container.
    fs::create_directory_symlink("../../../../System/Thing.app", device.host(container + "/Linked.app"));
    for (const char* folder : {"/var/mobile/Applications", "/var/mobile/Applications/EVIL",
                               "/var/mobile/Applications/EVIL/Evil.app", "/var/mobile/Applications/EVIL/Up.app",
                               "/var/mobile/Applications/EVIL/Linked.app"}) {
        giveToUser(folder);
    }
    device.writePrefs("Category001", "{'items': ['com.example.evil-../../../../secret/Hidden', 'com.example.up', "
                                     "'com.example.linked', 'com.apple.mobilesafari']}");
    giveToUser(ToolDevice::prefsFile("Category001"));

    RunResult run = runAsUser({"-d", "Category001"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(linesOf(device.readFile("/decoy/var/log/hide-calls.log")),
              (std::vector<std::string>{"UnHideIcon (null)", "UnHideIcon (null)", "UnHideIcon (null)",
                                        "UnHideIcon /Applications/MobileSafari.app/Info.plist"}));
}

}  // namespace
}  // namespace nestora::test
