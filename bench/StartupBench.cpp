// Time from process start to the Java main method and to the process's end: packed setups
// whose main class returns at once against "java.exe -cp" of the same archive and class on
// the same runtime, all in turns in one session, so that each meets the same load. The main
// class writes the time it was entered (microseconds since 1970) to the file QPK_BENCH_STAMP
// names.
//
//   startup_bench <rounds> <java.exe> <archive> <stamp file> <case>...
//
// A case is "name|mode|aim|setup.exe": mode "cold" deletes the runtime version cache before
// each run, "warm" leaves it as the runs before left it; aim is the ratio to java.exe that
// the case should stay within (printed only). After every setup run the private temporary
// directories it left (with an included runtime, the whole runtime) are removed, untimed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t kCacheKey[] = L"SOFTWARE\\larchmont-works\\corvo\\jvms";
const wchar_t kMainClass[] = L"com.quillpack.runtime.launcher.WinLauncher";

// Microseconds since 1970, from the clock Java's Instant reads as well.
long long nowMicros() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return (long long)(t.QuadPart / 10) - 11644473600LL * 1000000LL;
}

struct Timing {
    double toMain = -1;  // ms from CreateProcess to main; -1 when main did not note it
    double total = -1;   // ms from CreateProcess to the process's end
};

Timing timeRun(std::wstring commandLine, const std::wstring& stamp) {
    DeleteFileW(stamp.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    long long start = nowMicros();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        fwprintf(stderr, L"cannot start %ls (%lu)\n", commandLine.c_str(), GetLastError());
        exit(2);
    }
    WaitForSingleObject(pi.hProcess, 120000);
    long long end = nowMicros();
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Timing t;
    t.total = double(end - start) / 1000.0;
    FILE* file = _wfopen(stamp.c_str(), L"rb");
    if (file != nullptr) {
        long long entered = 0;
        if (fscanf(file, "%lld", &entered) == 1) t.toMain = double(entered - start) / 1000.0;
        fclose(file);
    }
    if (code != 0 || t.toMain < 0) {
        fwprintf(stderr, L"run failed (exit %lu): %ls\n", code, commandLine.c_str());
        exit(2);
    }
    return t;
}

// Deletes what `pattern` matches in `dir` (which ends in a backslash), each directory with
// all it holds.
void removeMatching(const std::wstring& dir, const wchar_t* pattern) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = dir + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            removeMatching(path + L"\\", L"*");
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// The private directories ("cvo*.tmp_dir*") and their placeholder files in the temporary root.
void removeSetupLeftovers() {
    wchar_t root[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, root);
    if (n > 0 && n < MAX_PATH) removeMatching(std::wstring(root, n), L"cvo*.tmp*");
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Case {
    std::wstring name, mode, aim, command;
    std::vector<double> toMain, total;

    Timing run(const std::wstring& stamp) {
        if (mode == L"cold") RegDeleteTreeW(HKEY_CURRENT_USER, kCacheKey);
        Timing t = timeRun(command, stamp);
        if (mode != L"java") removeSetupLeftovers();
        return t;
    }
};

bool parseCase(const std::wstring& text, Case& out) {
    size_t a = text.find(L'|'), b = text.find(L'|', a + 1), c = text.find(L'|', b + 1);
    if (a == std::wstring::npos || b == std::wstring::npos || c == std::wstring::npos) return false;
    out.name = text.substr(0, a);
    out.mode = text.substr(a + 1, b - a - 1);
    out.aim = text.substr(b + 1, c - b - 1);
    out.command = L"\"" + text.substr(c + 1) + L"\"";
    return out.mode == L"warm" || out.mode == L"cold";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<Case> cases(1);
    for (int i = 5; i < argc; ++i) {
        cases.emplace_back();
        if (!parseCase(argv[i], cases.back())) argc = 0;
    }
    if (argc < 6) {
        fputs("usage: startup_bench <rounds> <java.exe> <archive> <stamp file> <name|warm or cold|aim|setup.exe>...\n",
              stderr);
        return 2;
    }
    int rounds = _wtoi(argv[1]);
    Case& java = cases[0];
    java.name = L"java.exe -cp";
    java.mode = L"java";
    java.command = L"\"" + std::wstring(argv[2]) + L"\" -cp \"" + argv[3] + L"\" " + kMainClass;
    std::wstring stamp = argv[4];
    SetEnvironmentVariableW(L"QPK_BENCH_STAMP", stamp.c_str());

    // One unmeasured run of each loads the files into the page cache and fills the cache.
    for (Case& c : cases) c.run(stamp);
    for (int i = 0; i < rounds; ++i)
        for (Case& c : cases) {
            Timing t = c.run(stamp);
            c.toMain.push_back(t.toMain);
            c.total.push_back(t.total);
        }

    double baseMain = median(java.toMain), baseTotal = median(java.total);
    printf("%d rounds in turns; medians in ms; ratios are medians against java.exe -cp\n", rounds);
    printf("%-34s %8s %8s %8s %9s %9s  %s\n", "case", "to main", "total", "min tot", "main ratio", "tot ratio",
           "aim (total)");
    for (const Case& c : cases) {
        double m = median(c.toMain), t = median(c.total);
        printf("%-34ls %8.1f %8.1f %8.1f %9.2fx %9.2fx  %ls\n", c.name.c_str(), m, t,
               *std::min_element(c.total.begin(), c.total.end()), m / baseMain, t / baseTotal, c.aim.c_str());
    }
    return 0;
}
