// The registry natives of the installer runtime's Registry class.
#include <jni.h>

#include "natives/JavaStrings.h"
#include "natives/RegistryKeys.h"

using namespace qpk;

#define QPK_REGISTRY(name) Java_com_quillpack_runtime_installer_platform_win32_Registry_##name

extern "C" {

JNIEXPORT jboolean JNICALL QPK_REGISTRY(keyExists0)(JNIEnv* env, jclass, jint root, jstring path, jint view) {
    return openRegistryKey(root, toWideCopy(env, path).get(), KeyAccess::Read, REGSAM(view)).valid();
}

JNIEXPORT jboolean JNICALL QPK_REGISTRY(createKey0)(JNIEnv* env, jclass, jint root, jstring path, jint view) {
    return openRegistryKey(root, toWideCopy(env, path).get(), KeyAccess::Create, REGSAM(view)).valid();
}

}  // extern "C"
