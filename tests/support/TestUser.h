#pragma once

// The unprivileged user tests hand folders to and run programs as:
// "nestora-test", made on first use when the machine lacks it (needs root).

#include <sys/types.h>

#include <optional>
#include <string>

namespace nestora::test {

struct TestUser {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;  // the user's own group, from the user database
};

// None when the tests do not run as root or the user cannot be made.
std::optional<TestUser> testUser();

}  // namespace nestora::test
