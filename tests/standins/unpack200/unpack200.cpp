// Stand-in for a Java runtime's bin\unpack200.exe. Its command line is expected to end in
// two double-quoted paths, the pack file and the jar to write; the launcher passes
// `-r "<pack>" "<jar>"` as the whole command-line text, so the program path need not come
// first and no C runtime argument vector is relied upon.
//
// It writes the jar as "QPK-UNPACK200\n" followed by the pack's bytes, and prints
// "unpack200 <jar>" to standard output. Unlike the real tool it keeps the pack despite
// -r, so that a pack deleted in a test was deleted by the caller; with
// QPK_UNPACK200_REMOVE_PACK set it removes the pack on -r as the real tool does.
//
// Every run appends to "unpack200.log" beside the executable (UTF-8):
//   command=<the command line as received>
//   startup=flags:<STARTUPINFO dwFlags, hex> show:<wShowWindow> priority:<class, hex>
// With QPK_UNPACK200_DELAY_MS set it waits that long first, so that a caller that does not
// wait for it is caught out. A pack that begins "QPK-FAIL" gets half a jar and exit code 5,
// as a broken pack does; one that begins "QPK-NOJAR" gets no jar and exit code 0.
// Exit codes: 0 done, 2 no two quoted paths, 3 pack unreadable, 4 jar not written, 5 broken.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &out[0], n, nullptr, nullptr);
    return out;
}

void appendToLog(const std::string& text) {
    wchar_t path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    wchar_t* name = wcsrchr(path, L'\\');
    if (name == nullptr) return;
    wcscpy(name + 1, L"unpack200.log");
    FILE* log = _wfopen(path, L"ab");
    if (log == nullptr) return;
    fwrite(text.data(), 1, text.size(), log);
    fclose(log);
}

std::vector<std::wstring> quotedTexts(const std::wstring& line) {
    std::vector<std::wstring> out;
    size_t at = 0;
    while ((at = line.find(L'"', at)) != std::wstring::npos) {
        size_t end = line.find(L'"', at + 1);
        if (end == std::wstring::npos) break;
        out.push_back(line.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    return out;
}

bool readAll(const std::wstring& path, std::string& out) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr) return false;
    char buf[65536];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool writeAll(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

}  // namespace

int main() {
    std::wstring line = GetCommandLineW();
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    char state[128];
    snprintf(state, sizeof state, "startup=flags:%lx show:%u priority:%lx\n", (unsigned long)startup.dwFlags,
             (unsigned)startup.wShowWindow, (unsigned long)GetPriorityClass(GetCurrentProcess()));
    appendToLog("command=" + utf8(line) + "\n" + state);

    if (const char* delay = getenv("QPK_UNPACK200_DELAY_MS")) Sleep(DWORD(atoi(delay)));

    std::vector<std::wstring> paths = quotedTexts(line);
    if (paths.size() < 2) return 2;
    const std::wstring& pack = paths[paths.size() - 2];
    const std::wstring& jar = paths.back();
    std::string bytes;
    if (!readAll(pack, bytes)) return 3;
    if (bytes.rfind("QPK-NOJAR", 0) == 0) return 0;
    if (bytes.rfind("QPK-FAIL", 0) == 0) {
        writeAll(jar, "QPK-UNPA");
        return 5;
    }
    if (!writeAll(jar, "QPK-UNPACK200\n" + bytes)) return 4;
    bool removeOption = line.rfind(L"-r ", 0) == 0 || line.find(L" -r ") != std::wstring::npos;
    if (removeOption && getenv("QPK_UNPACK200_REMOVE_PACK")) DeleteFileW(pack.c_str());
    printf("unpack200 %s\n", utf8(jar).c_str());
    fflush(stdout);
    return 0;
}
