// Stand-in for a Java runtime's bin\java.exe (and, built a second time, javaw.exe): what a
// "-version" run prints and how it ends, told by "standin.txt" beside the executable, one
// directive per line:
//   line=<text>   writes <text> and CR LF to standard error
//   text=<text>   writes <text> alone
//   exit=<n>      the exit code (default 0)
//   hang          sleeps ten minutes before ending, far beyond any caller's wait
// Without the file it prints nothing and exits 0.
//
// Every run first appends to "commands.log" beside the executable (UTF-8):
//   command=<the command line as received>
//   startup=flags:<STARTUPINFO dwFlags, hex> show:<wShowWindow>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring besideSelf(const wchar_t* name) {
    wchar_t path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr) return std::wstring();
    wcscpy(slash + 1, name);
    return path;
}

void appendToLog(const std::string& text) {
    FILE* log = _wfopen(besideSelf(L"commands.log").c_str(), L"ab");
    if (log == nullptr) return;
    fwrite(text.data(), 1, text.size(), log);
    fclose(log);
}

std::string readAll(const std::wstring& path) {
    std::string out;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr) return out;
    char buf[4096];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
    fclose(f);
    return out;
}

void writeError(const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

}  // namespace

int main() {
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    char state[96];
    snprintf(state, sizeof state, "startup=flags:%lx show:%u\n", (unsigned long)startup.dwFlags,
             (unsigned)startup.wShowWindow);
    appendToLog("command=" + utf8(GetCommandLineW()) + "\n" + state);

    int exitCode = 0;
    std::string script = readAll(besideSelf(L"standin.txt"));
    size_t at = 0;
    while (at < script.size()) {
        size_t end = script.find('\n', at);
        if (end == std::string::npos) end = script.size();
        std::string directive = script.substr(at, end - at);
        at = end + 1;
        if (!directive.empty() && directive.back() == '\r') directive.pop_back();
        if (directive.rfind("line=", 0) == 0) {
            writeError(directive.substr(5) + "\r\n");
        } else if (directive.rfind("text=", 0) == 0) {
            writeError(directive.substr(5));
        } else if (directive.rfind("exit=", 0) == 0) {
            exitCode = atoi(directive.c_str() + 5);
        } else if (directive == "hang") {
            Sleep(600000);
        }
    }
    return exitCode;
}
