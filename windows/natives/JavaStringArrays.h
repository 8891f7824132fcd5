// The elements of a Java string array as owned wide strings.
#pragma once
#include <jni.h>

#include <string>
#include <vector>

namespace qpk {

// False for a null array or when an element cannot be read; a null element reads as empty.
// No Java exception stays pending.
bool fromJavaStringArray(JNIEnv* env, jobjectArray array, std::vector<std::wstring>& out);

}  // namespace qpk
