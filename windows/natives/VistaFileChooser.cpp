// VistaFileChooser: the shell's item-based open and save dialogs, with file type filters and
// extra check boxes.
#include <windows.h>
#include <jni.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "common/Owned.h"
#include "common/ProcLookup.h"
#include "natives/FileDialogArguments.h"
#include "natives/JavaStringArrays.h"
#include "natives/JavaStrings.h"

namespace qpk {

namespace {

const CLSID kFileOpenDialog = {0xDC1C5A9C, 0xE88A, 0x4DDE, {0xA5, 0xA1, 0x60, 0xF8, 0x2A, 0x20, 0xAE, 0xF7}};
const CLSID kFileSaveDialog = {0xC0B4E2F3, 0xBA21, 0x4773, {0x8D, 0xBA, 0x33, 0x5E, 0xC9, 0x46, 0xEB, 0x8B}};
const IID kIFileOpenDialog = {0xD57C7288, 0xD4AD, 0x4768, {0xBE, 0x02, 0x9D, 0x96, 0x95, 0x32, 0xD9, 0x60}};
const IID kIFileDialog = {0x42F85136, 0xDB7E, 0x439C, {0x85, 0xF1, 0xE4, 0x07, 0x5D, 0x13, 0x5F, 0xC8}};
const IID kIFileDialogCustomize = {0xE6FDD21A, 0x163F, 0x4975, {0x9C, 0x8C, 0xA6, 0x9F, 0x1B, 0xA3, 0x70, 0x34}};
const IID kIShellItem = {0x43826D1E, 0xE718, 0x42EE, {0xBC, 0x55, 0xA1, 0xE2, 0x61, 0xC3, 0x7B, 0xFE}};
const IID kIShellItemArray = {0xB63EA76D, 0x1F85, 0x456F, {0xA1, 0x9C, 0x48, 0x15, 0x9E, 0xFA, 0x85, 0x8B}};

const DWORD kOptionsGroupId = 100000;

using ItemFromParsingName = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
using ArrayFromItem = HRESULT(WINAPI*)(IShellItem*, REFIID, void**);

struct ShellItemFunctions {
    ItemFromParsingName itemFromName = nullptr;
    ArrayFromItem arrayFromItem = nullptr;
};

// Looked up again on each call until both are found.
const ShellItemFunctions& shellItemFunctions() {
    static ShellItemFunctions f;
    if (f.itemFromName == nullptr || f.arrayFromItem == nullptr) {
        HMODULE shell = LoadLibraryA("shell32.dll");
        f.itemFromName = lookupFunction<ItemFromParsingName>(shell, "SHCreateItemFromParsingName");
        f.arrayFromItem = lookupFunction<ArrayFromItem>(shell, "SHCreateShellItemArrayFromShellItem");
    }
    return f;
}

void addCheckBoxes(IFileDialog* dialog, const std::vector<std::wstring>& labels, const jboolean* states,
                   UniqueCom<IFileDialogCustomize>& customize) {
    if (labels.empty() ||
        FAILED(dialog->QueryInterface(kIFileDialogCustomize, reinterpret_cast<void**>(customize.put()))))
        return;
    bool grouped = labels.size() >= 2;
    if (grouped) customize.get()->StartVisualGroup(kOptionsGroupId, L"Options:");
    for (size_t i = 0; i < labels.size(); ++i)
        customize.get()->AddCheckButton(DWORD(i + 1), labels[i].c_str(), states[i] != JNI_FALSE);
    if (grouped) customize.get()->EndVisualGroup();
}

// The file system paths of the chosen items; an item without one stays empty.
std::vector<std::wstring> itemPaths(IShellItemArray* items) {
    std::vector<std::wstring> paths;
    DWORD count = 0;
    if (FAILED(items->GetCount(&count))) return paths;
    paths.resize(count);
    for (DWORD i = 0; i < count; ++i) {
        UniqueCom<IShellItem> item;
        if (FAILED(items->GetItemAt(i, item.put()))) continue;
        PWSTR name = nullptr;
        HRESULT result = item.get()->GetDisplayName(SIGDN_FILESYSPATH, &name);
        UniqueCoTaskMemory owned(name);
        if (SUCCEEDED(result) && name != nullptr) paths[i] = name;
    }
    return paths;
}

}  // namespace

struct FileDialogRequest {
    HWND owner;
    const wchar_t* title;
    const wchar_t* okLabel;
    const wchar_t* folder;
    const wchar_t* fileName;
    unsigned setOptions, clearOptions;
    bool save;
    const wchar_t* defaultExtension;
    std::vector<COMDLG_FILTERSPEC> filters;
    int filterIndex;
    std::vector<std::wstring> checkBoxLabels;
};

// False when cancelled or failed; `states` receives the check boxes' final states after OK.
bool showFileDialog(const FileDialogRequest& r, jboolean* states, std::vector<std::wstring>& paths) {
    const ShellItemFunctions& shell = shellItemFunctions();
    if (shell.itemFromName == nullptr || shell.arrayFromItem == nullptr) return false;
    UniqueCom<IFileDialog> dialog;
    HRESULT created = r.save ? CoCreateInstance(kFileSaveDialog, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                                kIFileDialog, reinterpret_cast<void**>(dialog.put()))
                             : CoCreateInstance(kFileOpenDialog, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                                kIFileOpenDialog, reinterpret_cast<void**>(dialog.put()));
    if (FAILED(created) || !dialog) return false;
    IFileDialog* d = dialog.get();
    FILEOPENDIALOGOPTIONS current = 0;
    if (SUCCEEDED(d->GetOptions(&current))) d->SetOptions(dialogOptions(current, r.setOptions, r.clearOptions));
    if (!r.filters.empty()) {
        d->SetFileTypes(UINT(r.filters.size()), r.filters.data());
        if (r.filterIndex >= 0) d->SetFileTypeIndex(UINT(r.filterIndex) + 1);
    }
    UniqueCom<IFileDialogCustomize> customize;
    addCheckBoxes(d, r.checkBoxLabels, states, customize);
    if (r.defaultExtension) d->SetDefaultExtension(r.defaultExtension);
    if (r.title) d->SetTitle(r.title);
    if (r.okLabel) d->SetOkButtonLabel(r.okLabel);
    d->ClearClientData();  // no remembered folder or name from an earlier showing
    if (r.folder) {
        UniqueCom<IShellItem> folder;
        if (SUCCEEDED(shell.itemFromName(r.folder, nullptr, kIShellItem, reinterpret_cast<void**>(folder.put()))))
            d->SetFolder(folder.get());
    }
    if (r.fileName) d->SetFileName(r.fileName);
    if (FAILED(d->Show(r.owner))) return false;

    if (customize) {
        for (size_t i = 0; i < r.checkBoxLabels.size(); ++i) {
            BOOL checked = FALSE;
            if (SUCCEEDED(customize.get()->GetCheckButtonState(DWORD(i + 1), &checked)))
                states[i] = checked ? JNI_TRUE : JNI_FALSE;
        }
    }
    UniqueCom<IShellItemArray> items;
    if (r.save) {
        UniqueCom<IShellItem> item;
        if (FAILED(d->GetResult(item.put())) ||
            FAILED(shell.arrayFromItem(item.get(), kIShellItemArray, reinterpret_cast<void**>(items.put()))))
            return false;
    } else if (FAILED(static_cast<IFileOpenDialog*>(d)->GetResults(items.put()))) {
        return false;
    }
    paths = itemPaths(items.get());
    return true;
}

}  // namespace qpk

#define QPK_FILE_CHOOSER(method) Java_com_quillpack_runtime_installer_platform_win32_VistaFileChooser_##method

extern "C" JNIEXPORT void JNICALL QPK_FILE_CHOOSER(initialize0)(JNIEnv*, jclass) { CoInitialize(nullptr); }

extern "C" JNIEXPORT jobjectArray JNICALL QPK_FILE_CHOOSER(displayDialog0)(
    JNIEnv* env, jclass, jlong owner, jstring title, jstring okLabel, jstring initialFolder, jstring initialFileName,
    jint setOptions, jint clearOptions, jboolean save, jstring defaultExtension, jobjectArray filterNames,
    jobjectArray filterPatterns, jint filterIndex, jobjectArray checkBoxLabels, jbooleanArray checkBoxStates) {
    std::vector<std::wstring> names, patterns;
    qpk::FileDialogRequest r;
    if ((filterNames && !qpk::fromJavaStringArray(env, filterNames, names)) ||
        (filterPatterns && !qpk::fromJavaStringArray(env, filterPatterns, patterns)) ||
        (checkBoxLabels && !qpk::fromJavaStringArray(env, checkBoxLabels, r.checkBoxLabels)))
        return nullptr;
    jsize stateCount = checkBoxStates ? env->GetArrayLength(checkBoxStates) : 0;
    if (!qpk::pairedArgumentsFit(filterNames != nullptr, names.size(), filterPatterns != nullptr, patterns.size(),
                                 checkBoxLabels != nullptr, r.checkBoxLabels.size(), checkBoxStates != nullptr,
                                 size_t(stateCount)))
        return nullptr;
    for (size_t i = 0; i < names.size(); ++i) r.filters.push_back({names[i].c_str(), patterns[i].c_str()});

    qpk::WideCopy titleText = qpk::toWideCopy(env, title);
    qpk::WideCopy okText = qpk::toWideCopy(env, okLabel);
    qpk::WideCopy folder = qpk::toWideCopy(env, initialFolder);
    qpk::WideCopy fileName = qpk::toWideCopy(env, initialFileName);
    qpk::WideCopy extension = qpk::toWideCopy(env, defaultExtension);
    r.owner = reinterpret_cast<HWND>(owner);
    r.title = titleText.get();
    r.okLabel = okText.get();
    r.folder = folder.get();
    r.fileName = fileName.get();
    r.setOptions = unsigned(setOptions);
    r.clearOptions = unsigned(clearOptions);
    r.save = save != JNI_FALSE;
    r.defaultExtension = extension.get();
    r.filterIndex = int(filterIndex);

    jboolean* states = checkBoxStates ? env->GetBooleanArrayElements(checkBoxStates, nullptr) : nullptr;
    if (checkBoxStates && states == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    std::vector<std::wstring> paths;
    bool chosen = qpk::showFileDialog(r, states, paths);
    // Mode 0 copies the final states back; a cancelled dialog leaves them as they were.
    if (states) env->ReleaseBooleanArrayElements(checkBoxStates, states, chosen ? 0 : JNI_ABORT);
    if (!chosen) return nullptr;
    jclass stringClass = env->FindClass("java/lang/String");
    jobjectArray result = stringClass ? env->NewObjectArray(jsize(paths.size()), stringClass, nullptr) : nullptr;
    if (result == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) continue;
        jstring path = qpk::toJavaString(env, paths[i]);
        if (path == nullptr) continue;
        env->SetObjectArrayElement(result, jsize(i), path);
        env->DeleteLocalRef(path);
    }
    return result;
}
