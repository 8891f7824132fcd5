#include "natives/JavaStringArrays.h"

#include "natives/JavaStrings.h"

namespace qpk {

bool fromJavaStringArray(JNIEnv* env, jobjectArray array, std::vector<std::wstring>& out) {
    if (array == nullptr) return false;
    std::vector<std::wstring> items;
    jsize count = env->GetArrayLength(array);
    for (jsize i = 0; i < count; ++i) {
        auto element = static_cast<jstring>(env->GetObjectArrayElement(array, i));
        if (env->ExceptionCheck()) {
            env->ExceptionClear();
            return false;
        }
        WideCopy text = toWideCopy(env, element);
        items.emplace_back(text.get() ? text.get() : L"");
        env->DeleteLocalRef(element);
    }
    out = std::move(items);
    return true;
}

}  // namespace qpk
