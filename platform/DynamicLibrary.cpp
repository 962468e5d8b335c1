#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/auxv.h>
#include <sys/stat.h>

#include <string>

#include "platform/DeviceRoot.h"
#include "platform/UniqueFd.h"

namespace nestora::platform {

namespace {

bool rootOwnedAndNotWritableByOthers(const struct stat& st) {
    return st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

void DynamicLibrary::Closer::operator()(void* handle) const {
    if (handle != nullptr) ::dlclose(handle);
}

std::optional<DynamicLibrary> DynamicLibrary::open(std::string_view devicePath, bool requireRootOwned) {
    const std::string host = hostPath(devicePath);
    if (!requireRootOwned) {
        void* handle = ::dlopen(host.c_str(), RTLD_LAZY);
        if (handle == nullptr) return std::nullopt;
        return DynamicLibrary(handle);
    }
    // Check the folder and the file we actually opened, then load that very
    // file through its descriptor: nothing can be swapped in between.
    const auto slash = host.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : host.substr(0, slash));
    struct stat folderStat {};
    if (::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode) ||
        !rootOwnedAndNotWritableByOthers(folderStat)) {
        return std::nullopt;
    }
    UniqueFd fd(::open(host.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return std::nullopt;
    struct stat fileStat {};
    if (::fstat(fd.get(), &fileStat) != 0 || !S_ISREG(fileStat.st_mode) || !rootOwnedAndNotWritableByOthers(fileStat)) {
        return std::nullopt;
    }
    const std::string viaFd = "/proc/self/fd/" + std::to_string(fd.get());
    void* handle = ::dlopen(viaFd.c_str(), RTLD_LAZY);
    if (handle == nullptr) return std::nullopt;
    return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_.get(), name) : nullptr;
}

bool isPrivilegedRun() { return ::getauxval(AT_SECURE) != 0; }

}  // namespace nestora::platform
