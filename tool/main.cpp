// NestoraTool: the set-user-id program that makes every change in
// /Applications. Everything but the process set-up lives in nestora_tool.

#include <cstdio>

#include "common/IconHiding.h"
#include "platform/AppServices.h"
#include "platform/PrivilegedFiles.h"
#include "tool/CommandLine.h"

int main(int argc, char** argv) {
    // Nothing this root process creates may be writable by group or others,
    // whatever mask the caller left.
    nestora::privileged::setFileCreationMask(022);
    const nestora::platform::DeviceAppServices appServices;
    nestora::IconHidingSession iconHiding;
    const nestora::tool::ToolContext context{stdout, &appServices, &iconHiding};
    return nestora::tool::runTool(argc, argv, context);
}
