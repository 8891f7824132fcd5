// FileVersion: compares the fixed file versions of two files' version resources.
#include "natives/FileVersion.h"

#include <windows.h>
#include <jni.h>

#include <vector>

#include "common/VersionResource.h"
#include "natives/JavaStrings.h"

namespace qpk {

std::optional<uint64_t> readFileVersion(const wchar_t* path) {
    std::optional<std::vector<unsigned char>> resource = readVersionResource(path);
    void* fixed = nullptr;
    UINT length = 0;
    if (!resource || !queryVersionValue(*resource, L"\\", fixed, length) || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return (uint64_t(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
}

int compareFileVersions(const wchar_t* first, const wchar_t* second) {
    return compareVersions(readFileVersion(first), readFileVersion(second));
}

}  // namespace qpk

extern "C" JNIEXPORT jint JNICALL Java_com_quillpack_runtime_installer_platform_win32_FileVersion_compare0(
    JNIEnv* env, jclass, jstring first, jstring second) {
    qpk::WideCopy a = qpk::toWideCopy(env, first);
    qpk::WideCopy b = qpk::toWideCopy(env, second);
    // A path with a NUL inside names another file than the caller's.
    if (qpk::anyHoldsNul({&a, &b})) return qpk::kVersionUnreadable;
    return qpk::compareFileVersions(a.get(), b.get());
}
