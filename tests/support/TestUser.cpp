#include "tests/support/TestUser.h"

#include <pwd.h>
#include <unistd.h>

#include "tests/support/RunProgram.h"

namespace nestora::test {

namespace {

constexpr const char* kName = "nestora-test";

std::optional<TestUser> lookUp() {
    const passwd* user = ::getpwnam(kName);
    if (user == nullptr || user->pw_uid == 0) return std::nullopt;
    return TestUser{kName, user->pw_uid, user->pw_gid};
}

}  // namespace

std::optional<TestUser> testUser() {
    if (::geteuid() != 0) return std::nullopt;
    if (auto found = lookUp()) return found;
    runProgram({"/usr/sbin/useradd", "--system", "--no-create-home", kName});
    return lookUp();
}

}  // namespace nestora::test
