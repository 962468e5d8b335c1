#pragma once

// Tests never reach a host but loopback. Every widget test program routes
// Qt's network traffic through a proxy factory that lets loopback through and
// sends any other request to a proxy that is not there, so it fails at once
// and leaves no trace outside; the host is noted, and the program fails at
// its end when any was asked for.

#include <string>
#include <vector>

namespace nestora::test {

// Installs the factory and the check at the program's end (before
// RUN_ALL_TESTS, after the QApplication is made).
void installLoopbackOnlyNetwork();

// "test name: host" for every request to another host since the start or
// the last forgetOutsideRequests().
std::vector<std::string> outsideRequests();
// For the test that proves the guard works.
void forgetOutsideRequests();

}  // namespace nestora::test
