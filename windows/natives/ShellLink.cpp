// The shell link natives of the installer runtime's ShellLink class.
#include <jni.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "common/Owned.h"
#include "natives/JavaStrings.h"
#include "natives/ShellFunctions.h"

using namespace qpk;

namespace {

// The link's fields as the Windows string type of its interface; nullptr where Java passed null.
template <class Char>
struct LinkFields {
    const Char* target;
    const Char* workingDirectory;
    const Char* icon;
    const Char* arguments;
    const Char* description;
    bool runAsAdmin;
    const int* showCommand;  // nullptr: left as the link object has it
};

// Creates the link through the shell's link object and saves it; true if the file was saved.
// A link needs a file to go to and a target.
template <class ShellLinkInterface, class Char>
bool saveShellLink(REFIID interfaceId, const wchar_t* linkPath, const LinkFields<Char>& fields) {
    if (linkPath == nullptr || fields.target == nullptr) return false;
    UniqueCom<ShellLinkInterface> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, interfaceId,
                                reinterpret_cast<void**>(link.put()))))
        return false;
    // The setters' results are not checked: whether the file is saved is the one outcome.
    link.get()->SetPath(fields.target);
    // Skipped for none: the new link has no working directory, and Wine crashes on a null one.
    if (fields.workingDirectory != nullptr) link.get()->SetWorkingDirectory(fields.workingDirectory);
    if (fields.icon != nullptr) link.get()->SetIconLocation(fields.icon, 0);
    if (fields.arguments != nullptr) link.get()->SetArguments(fields.arguments);
    if (fields.description != nullptr) link.get()->SetDescription(fields.description);
    if (fields.showCommand != nullptr) link.get()->SetShowCmd(*fields.showCommand);
    UniqueCom<IPersistFile> file;
    if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) return false;
    if (fields.runAsAdmin) {
        UniqueCom<IShellLinkDataList> dataList;
        DWORD flags = 0;
        if (FAILED(link.get()->QueryInterface(IID_IShellLinkDataList, reinterpret_cast<void**>(dataList.put()))) ||
            FAILED(dataList.get()->GetFlags(&flags)) || FAILED(dataList.get()->SetFlags(flags | SLDF_RUNAS_USER)))
            return false;
    }
    return SUCCEEDED(file.get()->Save(linkPath, TRUE));
}

// An 8-bit text from a byte array: up to its first NUL, or all of it when there is none.
struct NarrowCopy {
    std::string text;
    bool present = false;
    const char* get() const { return present ? text.c_str() : nullptr; }
};

NarrowCopy toNarrowCopy(JNIEnv* env, jbyteArray bytes) {
    NarrowCopy copy;
    if (bytes == nullptr) return copy;
    copy.present = true;
    copy.text.resize(size_t(env->GetArrayLength(bytes)));
    if (!copy.text.empty())
        env->GetByteArrayRegion(bytes, 0, jsize(copy.text.size()), reinterpret_cast<jbyte*>(&copy.text[0]));
    size_t end = copy.text.find('\0');
    if (end != std::string::npos) copy.text.resize(end);
    return copy;
}

// A UTF-16LE path from a byte array, ended at its first NUL or at the end of the array, so that
// the shell never reads past the Java data.
std::wstring toWidePath(JNIEnv* env, jbyteArray bytes) {
    jsize length = env->GetArrayLength(bytes);
    std::wstring path(size_t(length) / 2, L'\0');
    if (!path.empty()) env->GetByteArrayRegion(bytes, 0, jsize(path.size() * 2), reinterpret_cast<jbyte*>(&path[0]));
    size_t end = path.find(L'\0');
    if (end != std::wstring::npos) path.resize(end);
    return path;
}

// How often initialize0 set up COM on this thread (CoInitialize gave S_OK or S_FALSE): only
// that is undone, never COM state that other code set up in either threading mode.
thread_local int comInitializations = 0;

}  // namespace

#define QPK_SHELL_LINK(name) Java_com_quillpack_runtime_installer_platform_win32_ShellLink_##name

extern "C" {

JNIEXPORT jboolean JNICALL QPK_SHELL_LINK(initialize0)(JNIEnv*, jclass) {
    // Also when COM runs in the other mode here (RPC_E_CHANGED_MODE), links can be made.
    if (SUCCEEDED(CoInitialize(nullptr))) ++comInitializations;
    return true;
}

JNIEXPORT jboolean JNICALL QPK_SHELL_LINK(uninitialize)(JNIEnv*, jclass) {
    if (comInitializations > 0) {
        --comInitializations;
        CoUninitialize();
    }
    return true;
}

JNIEXPORT jboolean JNICALL QPK_SHELL_LINK(createWide0)(JNIEnv* env, jclass, jstring link, jstring target,
                                                      jstring workingDirectory, jstring icon, jstring arguments,
                                                      jboolean runAsAdmin, jstring description, jint showCommand) {
    WideCopy targetText = toWideCopy(env, target), directory = toWideCopy(env, workingDirectory),
             iconText = toWideCopy(env, icon), argumentText = toWideCopy(env, arguments),
             descriptionText = toWideCopy(env, description), linkPath = toWideCopy(env, link);
    if (anyHoldsNul({&targetText, &directory, &iconText, &argumentText, &descriptionText, &linkPath})) return false;
    int show = int(showCommand);
    LinkFields<wchar_t> fields{targetText.get(),      directory.get(), iconText.get(), argumentText.get(),
                               descriptionText.get(), runAsAdmin != 0, &show};
    return saveShellLink<IShellLinkW>(IID_IShellLinkW, linkPath.get(), fields);
}

// Exported, not registered: the 8-bit form, without a show command.
JNIEXPORT jboolean JNICALL QPK_SHELL_LINK(create0)(JNIEnv* env, jclass, jstring link, jbyteArray target,
                                                  jbyteArray workingDirectory, jbyteArray icon, jbyteArray arguments,
                                                  jboolean runAsAdmin, jbyteArray description) {
    NarrowCopy targetText = toNarrowCopy(env, target), directory = toNarrowCopy(env, workingDirectory),
               iconText = toNarrowCopy(env, icon), argumentText = toNarrowCopy(env, arguments),
               descriptionText = toNarrowCopy(env, description);
    LinkFields<char> fields{targetText.get(),      directory.get(), iconText.get(), argumentText.get(),
                            descriptionText.get(), runAsAdmin != 0, nullptr};
    WideCopy linkPath = toWideCopy(env, link);
    if (linkPath.holdsNul()) return false;
    return saveShellLink<IShellLinkA>(IID_IShellLinkA, linkPath.get(), fields);
}

JNIEXPORT jboolean JNICALL QPK_SHELL_LINK(changeNotify0)(JNIEnv* env, jclass, jbyteArray createdFile,
                                                        jbyteArray directory) {
    if (!loadShellFunctions()) return true;
    if (createdFile != nullptr) {
        std::wstring path = toWidePath(env, createdFile);
        shChangeNotify()(SHCNE_CREATE, SHCNF_PATHW, path.c_str(), nullptr);
    }
    if (directory != nullptr) {
        std::wstring path = toWidePath(env, directory);
        // Returns once the shell has processed it.
        shChangeNotify()(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSH, path.c_str(), nullptr);
    }
    return true;
}

}  // extern "C"
