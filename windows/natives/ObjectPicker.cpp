// ObjectPicker: the directory object picker for users and groups, owned by a window of this
// process.
#include <windows.h>
#include <jni.h>
#include <ole2.h>
#include <objsel.h>

#include <cstdio>
#include <string>

#include "common/Owned.h"
#include "common/ProcLookup.h"
#include "natives/JavaStrings.h"
#include "natives/PickerFilters.h"

namespace qpk {

namespace {

const CLSID kDsObjectPicker = {0x17D6CCD8, 0x3B7B, 0x11D2, {0xB9, 0xE0, 0x00, 0xC0, 0x4F, 0xD8, 0xDB, 0xF7}};
const IID kIDsObjectPicker = {0x0C87E64E, 0x3B7A, 0x11D2, {0xB9, 0xE0, 0x00, 0xC0, 0x4F, 0xD8, 0xDB, 0xF7}};
const char kResultClass[] = "com/quillpack/runtime/installer/platform/win32/ObjectPicker$Result";

using SidToString = BOOL(WINAPI*)(PSID, LPWSTR*);

SidToString sidToStringFunction() {
    static SidToString function = nullptr;
    if (function == nullptr) function = lookupFunction<SidToString>(GetModuleHandleW(L"advapi32.dll"), "ConvertSidToStringSidW");
    return function;
}

// The console window, found once by giving the console a unique title for a moment.
HWND consoleWindow() {
    static bool searched = false;
    static HWND console = nullptr;
    if (searched) return console;
    searched = true;
    const DWORD kTitleCapacity = 8192;
    std::wstring old(kTitleCapacity, L'\0');
    if (GetConsoleTitleW(&old[0], kTitleCapacity) == 0) return console;
    wchar_t unique[64];
    _snwprintf(unique, 64, L"%lu/%lu", GetTickCount(), GetCurrentProcessId());
    unique[63] = L'\0';
    SetConsoleTitleW(unique);
    Sleep(40);
    console = FindWindowW(nullptr, unique);
    SetConsoleTitleW(old.c_str());
    return console;
}

struct OwnerSearch {
    HWND console;
    HWND candidate;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<OwnerSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && window != search->console)
        search->candidate = window;
    return TRUE;
}

// The last visible top-level window of this process, else its console window.
HWND ownerWindow() {
    OwnerSearch search{consoleWindow(), nullptr};
    EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
    return search.candidate ? search.candidate : search.console;
}

jstring javaStringOrNull(JNIEnv* env, const wchar_t* text) {
    return text ? toJavaString(env, text) : nullptr;
}

// The SID of the first fetched attribute (a byte array) as text, empty if there is none.
std::wstring fetchedSid(const DS_SELECTION& item, ULONG attributeCount, SidToString toString) {
    std::wstring text;
    if (attributeCount < 1 || item.pvarFetchedAttributes == nullptr) return text;
    VARIANT& sid = item.pvarFetchedAttributes[0];
    if (V_VT(&sid) != (VT_ARRAY | VT_UI1) || V_ARRAY(&sid) == nullptr) return text;
    void* bytes = nullptr;
    if (FAILED(SafeArrayAccessData(V_ARRAY(&sid), &bytes))) return text;
    LPWSTR converted = nullptr;
    if (toString(static_cast<PSID>(bytes), &converted)) {
        UniqueLocalMemory owned(converted);
        text = converted;
    }
    SafeArrayUnaccessData(V_ARRAY(&sid));
    return text;
}

jobjectArray selectionToJava(JNIEnv* env, const DS_SELECTION_LIST& list, SidToString toString) {
    jclass resultClass = env->FindClass(kResultClass);
    jmethodID make = resultClass ? env->GetMethodID(resultClass, "<init>",
                                                    "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;"
                                                    "Ljava/lang/String;Ljava/lang/String;)V")
                                 : nullptr;
    jobjectArray results = make ? env->NewObjectArray(jsize(list.cItems), resultClass, nullptr) : nullptr;
    if (results == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    for (ULONG i = 0; i < list.cItems; ++i) {
        const DS_SELECTION& item = list.aDsSelection[i];
        std::wstring sidText = fetchedSid(item, list.cFetchedAttributes, toString);
        jstring name = javaStringOrNull(env, item.pwzName);
        jstring path = javaStringOrNull(env, item.pwzADsPath);
        jstring cls = javaStringOrNull(env, item.pwzClass);
        jstring upn = javaStringOrNull(env, item.pwzUPN);
        jstring sid = sidText.empty() ? nullptr : toJavaString(env, sidText);
        jobject result = env->NewObject(resultClass, make, name, path, cls, upn, sid);
        if (result == nullptr) {
            env->ExceptionClear();
            return nullptr;
        }
        env->SetObjectArrayElement(results, jsize(i), result);
        for (jobject local : {jobject(name), jobject(path), jobject(cls), jobject(upn), jobject(sid), result})
            if (local) env->DeleteLocalRef(local);
    }
    return results;
}

jobjectArray pickObjects(JNIEnv* env, HWND owner, const DSOP_INIT_INFO& init, SidToString toString) {
    UniqueCom<IDsObjectPicker> picker;
    if (FAILED(CoCreateInstance(kDsObjectPicker, nullptr, CLSCTX_INPROC_SERVER, kIDsObjectPicker,
                                reinterpret_cast<void**>(picker.put()))) ||
        FAILED(picker.get()->Initialize(const_cast<DSOP_INIT_INFO*>(&init))))
        return nullptr;
    UniqueCom<IDataObject> data;
    if (picker.get()->InvokeDialog(owner, data.put()) != S_OK || !data) return nullptr;  // S_FALSE: cancelled
    FORMATETC format = {CLIPFORMAT(RegisterClipboardFormatW(L"CFSTR_DSOP_DS_SELECTION_LIST")), nullptr, DVASPECT_CONTENT,
                        -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data.get()->GetData(&format, &medium))) return nullptr;
    jobjectArray results = nullptr;
    if (auto* list = static_cast<DS_SELECTION_LIST*>(GlobalLock(medium.hGlobal))) {
        results = selectionToJava(env, *list, toString);
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return results;
}

}  // namespace

jobjectArray showObjectPicker(JNIEnv* env, bool multiple, bool groups, bool users, bool wellKnown, bool localOnly) {
    SidToString toString = sidToStringFunction();
    if (toString == nullptr) return nullptr;
    HWND owner = ownerWindow();
    if (owner == nullptr) {
        std::printf("could not find window\n");
        std::fflush(stdout);
        return nullptr;
    }
    if (FAILED(CoInitialize(nullptr))) return nullptr;
    PickerScope chosen = pickerScope(groups, users, wellKnown, localOnly);
    DSOP_SCOPE_INIT_INFO scope = {};
    scope.cbSize = sizeof(scope);
    scope.flType = chosen.scopeType;
    scope.flScope = DSOP_SCOPE_FLAG_DEFAULT_FILTER_USERS | DSOP_SCOPE_FLAG_DEFAULT_FILTER_GROUPS;
    scope.FilterFlags.Uplevel.flBothModes = chosen.uplevelFilter;
    scope.FilterFlags.flDownlevel = chosen.downlevelFilter;
    PCWSTR attributes[] = {L"objectSID"};
    DSOP_INIT_INFO init = {};
    init.cbSize = sizeof(init);
    init.cDsScopeInfos = 1;
    init.aDsScopeInfos = &scope;
    init.flOptions = multiple ? DSOP_FLAG_MULTISELECT : 0;
    init.cAttributesToFetch = 1;
    init.apwzAttributeNames = attributes;
    jobjectArray results = pickObjects(env, owner, init, toString);
    CoUninitialize();
    std::fflush(stdout);
    return results;
}

}  // namespace qpk

extern "C" JNIEXPORT jobjectArray JNICALL Java_com_quillpack_runtime_installer_platform_win32_ObjectPicker_show0(
    JNIEnv* env, jclass, jboolean multiple, jboolean groups, jboolean users, jboolean wellKnown, jboolean localOnly) {
    return qpk::showObjectPicker(env, multiple != JNI_FALSE, groups != JNI_FALSE, users != JNI_FALSE,
                                 wellKnown != JNI_FALSE, localOnly != JNI_FALSE);
}
