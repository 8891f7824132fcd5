// Time from process start to the Java main method: a packed setup whose main class returns
// at once against "java.exe -cp" of the same archive and class on the same runtime,
// alternating in one session. The setup runs with the runtime version cache cold (the
// cache key deleted first) and warm. The main class writes the time it was entered
// (microseconds since 1970) to the file QPK_BENCH_STAMP names.
//
//   startup_bench <rounds> <setup.exe> <java.exe> <archive> <stamp file>
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

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    explicit Series(const char* n) : name(n) {}
    const char* name;
    std::vector<double> toMain, total;
    void add(const Timing& t) {
        toMain.push_back(t.toMain);
        total.push_back(t.total);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        fputs("usage: startup_bench <rounds> <setup.exe> <java.exe> <archive> <stamp file>\n", stderr);
        return 2;
    }
    int rounds = _wtoi(argv[1]);
    std::wstring setup = L"\"" + std::wstring(argv[2]) + L"\"";
    std::wstring java = L"\"" + std::wstring(argv[3]) + L"\" -cp \"" + argv[4] + L"\" " + kMainClass;
    std::wstring stamp = argv[5];
    SetEnvironmentVariableW(L"QPK_BENCH_STAMP", stamp.c_str());

    Series cold("setup, cache cold"), warm("setup, cache warm"), plain("java.exe -cp");
    // One unmeasured run of each loads the files into the page cache.
    timeRun(java, stamp);
    timeRun(setup, stamp);
    for (int i = 0; i < rounds; ++i) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kCacheKey);
        cold.add(timeRun(setup, stamp));
        plain.add(timeRun(java, stamp));
        warm.add(timeRun(setup, stamp));
    }
    double base = median(plain.toMain);
    printf("%d rounds, medians in ms          to main     total   ratio to main\n", rounds);
    for (const Series* s : {&plain, &warm, &cold})
        printf("%-24s %14.1f %9.1f %9.2fx\n", s->name, median(s->toMain), median(s->total), median(s->toMain) / base);
    return 0;
}
