// Conversions between Java strings and UTF-16 for the natives. None of them leaves a Java
// exception pending: whatever a failed creation raised is cleared, and the result says so.
#pragma once
#include <jni.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace qpk {

// A fresh NUL-terminated UTF-16 copy of a Java string, freed when it goes out of scope.
class WideCopy {
public:
    WideCopy() = default;
    explicit WideCopy(std::wstring text) : text_(std::move(text)), present_(true) {}

    // nullptr for a null Java string, which Windows reads as "none".
    const wchar_t* get() const { return present_ ? text_.c_str() : nullptr; }
    bool isNull() const { return !present_; }
    // Windows reads a name only up to its first NUL: one inside means another name than the
    // caller's.
    bool holdsNul() const { return text_.find(L'\0') != std::wstring::npos; }
    const std::wstring& text() const { return text_; }

private:
    std::wstring text_;
    bool present_ = false;
};

WideCopy toWideCopy(JNIEnv* env, jstring text);

// Whether any of the copies holds a NUL: Windows would read that text only up to it and act
// on another object than the one named, so such a call fails instead.
inline bool anyHoldsNul(std::initializer_list<const WideCopy*> copies) {
    for (const WideCopy* copy : copies)
        if (copy->holdsNul()) return true;
    return false;
}

// A new Java string, or null on failure.
jstring toJavaString(JNIEnv* env, const std::wstring& text);
jstring toJavaString(JNIEnv* env, const wchar_t* text, size_t length);

// A new String[] holding the texts in order, or null if the array or any element cannot be made.
jobjectArray toJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts);

}  // namespace qpk
