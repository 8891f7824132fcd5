// The registry natives of the installer runtime's Registry class.
#include <jni.h>
#include <shlobj.h>

#include <cstdio>
#include <optional>

#include "natives/JavaStrings.h"
#include "natives/Privileges.h"
#include "natives/RegistryData.h"
#include "natives/RegistryKeys.h"
#include "natives/ShellFunctions.h"

using namespace qpk;

namespace {

// The kind codes of setValue0, which are not the Windows type numbers.
enum ValueKind { kString = 1, kDword = 2, kMultiString = 3, kBinary = 4, kExpandString = 5 };

std::u16string toU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

jstring javaString(JNIEnv* env, const std::u16string& text) {
    return toJavaString(env, reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// A new object of `className` built by its constructor `signature` with one argument; null on
// any failure.
jobject newBoxed(JNIEnv* env, const char* className, const char* signature, jvalue argument) {
    jclass cls = env->FindClass(className);
    if (cls == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    jobject result = nullptr;
    jmethodID constructor = env->GetMethodID(cls, "<init>", signature);
    if (constructor != nullptr) result = env->NewObjectA(cls, constructor, &argument);
    if (result == nullptr) env->ExceptionClear();
    env->DeleteLocalRef(cls);
    return result;
}

jobject toJavaValue(JNIEnv* env, DWORD type, const std::vector<uint8_t>& data) {
    switch (type) {
    case REG_SZ:
        return javaString(env, decodeRegistryString(data.data(), data.size()));
    case REG_EXPAND_SZ: {
        jvalue text;
        text.l = javaString(env, decodeRegistryString(data.data(), data.size()));
        if (text.l == nullptr) return nullptr;
        jobject result = newBoxed(env, "com/quillpack/api/windows/WinRegistry$ExpandString", "(Ljava/lang/String;)V", text);
        env->DeleteLocalRef(text.l);
        return result;
    }
    case REG_BINARY: {
        jbyteArray bytes = env->NewByteArray(jsize(data.size()));
        if (bytes == nullptr) {
            env->ExceptionClear();
            return nullptr;
        }
        env->SetByteArrayRegion(bytes, 0, jsize(data.size()), reinterpret_cast<const jbyte*>(data.data()));
        return bytes;
    }
    case REG_DWORD: {
        std::optional<int32_t> number = decodeRegistryDword(data.data(), data.size());
        if (!number) return nullptr;
        jvalue value;
        value.i = *number;
        return newBoxed(env, "java/lang/Integer", "(I)V", value);
    }
    case REG_MULTI_SZ: {
        std::vector<std::wstring> texts;
        for (const std::u16string& text : decodeRegistryMultiString(data.data(), data.size()))
            texts.emplace_back(text.begin(), text.end());
        return toJavaStringArray(env, texts);
    }
    default:
        return nullptr;
    }
}

bool isInstance(JNIEnv* env, jobject value, const char* className) {
    if (value == nullptr) return false;
    jclass cls = env->FindClass(className);
    if (cls == nullptr) {
        env->ExceptionClear();
        return false;
    }
    bool result = env->IsInstanceOf(value, cls);
    env->DeleteLocalRef(cls);
    return result;
}

// The value object as registry data of the kind; false if it is not of the kind's Java type.
bool toRegistryData(JNIEnv* env, jobject value, int kind, DWORD& type, std::vector<uint8_t>& data) {
    switch (kind) {
    case kString:
    case kExpandString:
        if (!isInstance(env, value, "java/lang/String")) return false;
        type = kind == kString ? REG_SZ : REG_EXPAND_SZ;
        data = encodeRegistryString(toU16(toWideCopy(env, jstring(value)).text()));
        return true;
    case kDword: {
        // Checked first: calling intValue on an object of another class is undefined in JNI.
        if (!isInstance(env, value, "java/lang/Integer")) return false;
        jclass integer = env->FindClass("java/lang/Integer");
        if (integer == nullptr) {
            env->ExceptionClear();
            return false;
        }
        jmethodID intValue = env->GetMethodID(integer, "intValue", "()I");
        env->DeleteLocalRef(integer);
        if (intValue == nullptr) {
            env->ExceptionClear();
            return false;
        }
        uint32_t number = uint32_t(env->CallIntMethod(value, intValue));
        type = REG_DWORD;
        data = {uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16), uint8_t(number >> 24)};
        return true;
    }
    case kMultiString: {
        if (!isInstance(env, value, "[Ljava/lang/String;")) return false;
        jobjectArray array = jobjectArray(value);
        std::vector<std::u16string> texts;
        for (jsize i = 0, n = env->GetArrayLength(array); i < n; ++i) {
            jobject element = env->GetObjectArrayElement(array, i);
            if (element == nullptr) return false;  // a null element: not convertible
            texts.push_back(toU16(toWideCopy(env, jstring(element)).text()));
            env->DeleteLocalRef(element);
        }
        std::optional<std::vector<uint8_t>> encoded = encodeRegistryMultiString(texts);
        if (!encoded) return false;
        type = REG_MULTI_SZ;
        data = std::move(*encoded);
        return true;
    }
    case kBinary: {
        if (!isInstance(env, value, "[B")) return false;
        jbyteArray bytes = jbyteArray(value);
        size_t length = size_t(env->GetArrayLength(bytes));
        data.assign(length, 0);
        env->GetByteArrayRegion(bytes, 0, jsize(length), reinterpret_cast<jbyte*>(data.data()));
        type = REG_BINARY;
        return true;
    }
    default:
        return false;
    }
}

// A key path or value name, or nothing when it holds a NUL: Windows would stop there and
// reach another key or value than the one named.
std::optional<WideCopy> registryName(JNIEnv* env, jstring text) {
    WideCopy copy = toWideCopy(env, text);
    if (copy.holdsNul()) return std::nullopt;
    return copy;
}

UniqueKey openKey(JNIEnv* env, jint root, jstring path, KeyAccess access, jint view) {
    std::optional<WideCopy> keyPath = registryName(env, path);
    if (!keyPath) return UniqueKey();
    return openRegistryKey(root, keyPath->get(), access, REGSAM(view));
}

jobjectArray enumerate(JNIEnv* env, jint root, jstring path, jint view, KeyNames which) {
    UniqueKey key = openKey(env, root, path, KeyAccess::Read, view);
    if (!key) return nullptr;
    std::vector<std::wstring> names = enumerateKeyNames(key.get(), which);
    key.reset();
    return toJavaStringArray(env, names);
}

}  // namespace

#define QPK_REGISTRY(name) Java_com_quillpack_runtime_installer_platform_win32_Registry_##name

extern "C" {

JNIEXPORT jboolean JNICALL QPK_REGISTRY(keyExists0)(JNIEnv* env, jclass, jint root, jstring path, jint view) {
    return openKey(env, root, path, KeyAccess::Read, view).valid();
}

JNIEXPORT jboolean JNICALL QPK_REGISTRY(createKey0)(JNIEnv* env, jclass, jint root, jstring path, jint view) {
    return openKey(env, root, path, KeyAccess::Create, view).valid();
}

JNIEXPORT jobject JNICALL QPK_REGISTRY(getValue0)(JNIEnv* env, jclass, jint root, jstring path, jstring name,
                                                 jint view) {
    std::optional<WideCopy> valueName = registryName(env, name);
    if (!valueName) return nullptr;
    UniqueKey key = openKey(env, root, path, KeyAccess::Read, view);
    if (!key) return nullptr;
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
    if (!readRegistryValue(key.get(), valueName->get(), type, data)) return nullptr;
    return toJavaValue(env, type, data);
}

JNIEXPORT jboolean JNICALL QPK_REGISTRY(setValue0)(JNIEnv* env, jclass, jint root, jstring path, jstring name,
                                                  jobject value, jint kind, jint view) {
    std::optional<WideCopy> valueName = registryName(env, name);
    if (!valueName) return false;
    // The key is made before the value is converted, as callers may rely on.
    UniqueKey key = openKey(env, root, path, KeyAccess::Create, view);
    if (!key) return false;
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
    if (!toRegistryData(env, value, kind, type, data) || data.size() > MAXDWORD) return false;
    LSTATUS rc = RegSetValueExW(key.get(), valueName->get(), 0, type, data.data(), DWORD(data.size()));
    if (rc != ERROR_SUCCESS) {
        std::printf("no success %d\n", int(rc));
        std::fflush(stdout);
        return false;
    }
    return true;
}

JNIEXPORT void JNICALL QPK_REGISTRY(deleteValue0)(JNIEnv* env, jclass, jint root, jstring path, jstring name,
                                                 jint view) {
    std::optional<WideCopy> valueName = registryName(env, name);
    if (!valueName) return;
    UniqueKey key = openKey(env, root, path, KeyAccess::Write, view);
    if (key) RegDeleteValueW(key.get(), valueName->get());
}

JNIEXPORT void JNICALL QPK_REGISTRY(deleteKey0)(JNIEnv* env, jclass, jint root, jstring path, jboolean onlyIfEmpty,
                                               jint view) {
    std::optional<WideCopy> keyPath = registryName(env, path);
    // No path opens the root key itself: its whole tree would go.
    if (!keyPath || keyPath->isNull() || keyPath->text().empty()) return;
    // Only a key that is empty, or not there at all, goes.
    if (onlyIfEmpty && keyContent(root, keyPath->get(), REGSAM(view)) == KeyContent::NotEmpty) return;
    HKEY rootKey = rootKeyFor(root);
    if (rootKey != nullptr) deleteKeyTree(rootKey, keyPath->get(), REGSAM(view));
}

JNIEXPORT jboolean JNICALL QPK_REGISTRY(saveKey0)(JNIEnv* env, jclass, jint root, jstring path, jstring file,
                                                 jint view) {
    std::optional<WideCopy> filePath = registryName(env, file);
    if (!filePath || !enablePrivilege(L"SeBackupPrivilege")) return false;
    UniqueKey key = openKey(env, root, path, KeyAccess::Write, view);
    if (!key) return false;
    return RegSaveKeyW(key.get(), filePath->get(), nullptr) == ERROR_SUCCESS;
}

JNIEXPORT jboolean JNICALL QPK_REGISTRY(restoreKey0)(JNIEnv* env, jclass, jint root, jstring path, jstring file,
                                                    jint view) {
    std::optional<WideCopy> filePath = registryName(env, file);
    if (!filePath || !enablePrivilege(L"SeBackupPrivilege") || !enablePrivilege(L"SeRestorePrivilege")) return false;
    UniqueKey key = openKey(env, root, path, KeyAccess::Create, view);
    if (!key) return false;
    return RegRestoreKeyW(key.get(), filePath->get(), 0) == ERROR_SUCCESS;
}

JNIEXPORT jobjectArray JNICALL QPK_REGISTRY(enumSubKeys0)(JNIEnv* env, jclass, jint root, jstring path, jint view) {
    return enumerate(env, root, path, view, KeyNames::SubKeys);
}

JNIEXPORT jobjectArray JNICALL QPK_REGISTRY(enumValues0)(JNIEnv* env, jclass, jint root, jstring path, jint view) {
    return enumerate(env, root, path, view, KeyNames::Values);
}

JNIEXPORT void JNICALL QPK_REGISTRY(changeNotifyAssociations0)(JNIEnv*, jclass) {
    if (loadShellFunctions()) shChangeNotify()(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // extern "C"
