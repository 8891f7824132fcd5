// VistaTaskDialog: a message box with custom buttons and a verification check box.
#include <windows.h>
#include <commctrl.h>
#include <jni.h>

#include <string>
#include <vector>

#include "common/ProcLookup.h"
#include "natives/JavaStringArrays.h"
#include "natives/JavaStrings.h"
#include "natives/TaskDialogResult.h"

namespace qpk {

namespace {

using ShowTaskDialog = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Only from the common controls the process already uses (version 6 where it has them).
ShowTaskDialog taskDialogFunction() {
    static ShowTaskDialog function = nullptr;
    if (function == nullptr) function = lookupFunction<ShowTaskDialog>(GetModuleHandleW(L"Comctl32.dll"), "TaskDialogIndirect");
    return function;
}

struct OwnerTracking {
    HWND owner;
    int calls;
};

// Keeps the dialog directly above its owner; only the first five placements may activate it.
HRESULT CALLBACK keepAboveOwner(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR data) {
    if (notification != TDN_TIMER) return S_OK;
    auto* tracking = reinterpret_cast<OwnerTracking*>(data);
    UINT flags = SWP_NOSIZE | SWP_NOMOVE;
    if (tracking->calls >= 5) flags |= SWP_NOACTIVATE;
    SetWindowPos(dialog, tracking->owner, 0, 0, 0, 0, flags);
    ++tracking->calls;
    return S_OK;
}

}  // namespace

struct TaskDialogText {
    const wchar_t* title;
    const wchar_t* instruction;
    const wchar_t* content;
    const wchar_t* verification;
};

int showTaskDialog(HWND owner, const TaskDialogText& text, int flags, int icon, int width,
                   const std::vector<std::wstring>& labels, int defaultIndex) {
    ShowTaskDialog show = taskDialogFunction();
    if (show == nullptr) return 0;
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (size_t i = 0; i < labels.size(); ++i) buttons.push_back({kFirstCustomButtonId + int(i), labels[i].c_str()});
    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TASKDIALOG_FLAGS(flags) | TDF_USE_HICON_MAIN | TDF_CALLBACK_TIMER;
    if (owner != nullptr && !IsIconic(owner)) config.dwFlags |= TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = text.title;
    config.pszMainInstruction = text.instruction;
    config.pszContent = text.content;
    config.hMainIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(icon));
    config.cButtons = UINT(buttons.size());
    config.pButtons = buttons.empty() ? nullptr : buttons.data();
    config.nDefaultButton = kFirstCustomButtonId + defaultIndex;
    config.pszVerificationText = text.verification;
    config.cxWidth = UINT(width);
    OwnerTracking tracking{owner, 0};
    if (owner != nullptr) {
        config.pfCallback = keepAboveOwner;
        config.lpCallbackData = reinterpret_cast<LONG_PTR>(&tracking);
    }
    int pressed = 0;
    BOOL verified = FALSE;
    show(&config, &pressed, nullptr, &verified);
    return taskDialogResult(pressed, verified != FALSE);
}

}  // namespace qpk

extern "C" JNIEXPORT jint JNICALL Java_com_quillpack_runtime_installer_platform_win32_VistaTaskDialog_show0(
    JNIEnv* env, jclass, jlong owner, jstring title, jstring instruction, jstring content, jint flags, jint icon,
    jint width, jstring verificationText, jobjectArray buttons, jint defaultButton) {
    qpk::WideCopy titleText = qpk::toWideCopy(env, title);
    qpk::WideCopy instructionText = qpk::toWideCopy(env, instruction);
    qpk::WideCopy contentText = qpk::toWideCopy(env, content);
    qpk::WideCopy verification = qpk::toWideCopy(env, verificationText);
    std::vector<std::wstring> labels;
    // The labels are never null by contract; a null array shows no custom buttons.
    if (buttons != nullptr && !qpk::fromJavaStringArray(env, buttons, labels)) return 0;
    qpk::TaskDialogText text{titleText.get(), instructionText.get(), contentText.get(), verification.get()};
    return qpk::showTaskDialog(reinterpret_cast<HWND>(owner), text, int(flags), int(icon), int(width), labels,
                               int(defaultButton));
}
