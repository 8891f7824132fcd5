#include "natives/JavaStrings.h"

namespace qpk {

WideCopy toWideCopy(JNIEnv* env, jstring text) {
    if (text == nullptr) return WideCopy();
    jsize length = env->GetStringLength(text);
    std::wstring copy(size_t(length), L'\0');
    // Copied, not pinned: the copy outlives no JNI critical section and needs no release.
    if (length > 0) env->GetStringRegion(text, 0, length, reinterpret_cast<jchar*>(&copy[0]));
    return WideCopy(std::move(copy));
}

jstring toJavaString(JNIEnv* env, const wchar_t* text, size_t length) {
    jstring result = env->NewString(reinterpret_cast<const jchar*>(text), jsize(length));
    if (result == nullptr) env->ExceptionClear();
    return result;
}

jstring toJavaString(JNIEnv* env, const std::wstring& text) {
    return toJavaString(env, text.c_str(), text.size());
}

jobjectArray toJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    jobjectArray array = env->NewObjectArray(jsize(texts.size()), stringClass, nullptr);
    env->DeleteLocalRef(stringClass);
    if (array == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        jstring element = toJavaString(env, texts[i]);
        if (element == nullptr) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
        env->SetObjectArrayElement(array, jsize(i), element);
        // A long listing would otherwise exhaust the local reference table.
        env->DeleteLocalRef(element);
    }
    return array;
}

}  // namespace qpk
