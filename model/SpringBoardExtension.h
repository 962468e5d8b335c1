#pragma once

// The optional SpringBoard extension. When it is installed it keeps the
// Recent category's list itself (see RecentCategory.h). The application
// tests for it once, at launch, and keeps the answer as `hasNestoraSB`.

#include <string_view>

namespace nestora::model {

inline constexpr std::string_view kNestoraSBPath = "/Library/MobileSubstrate/DynamicLibraries/NestoraSB.dylib";

// True when something exists at kNestoraSBPath (links followed: a dangling
// link is no extension).
bool isNestoraSBInstalled();

}  // namespace nestora::model
