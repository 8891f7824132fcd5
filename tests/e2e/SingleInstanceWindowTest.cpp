// The second start of a single-instance setup brings the first instance's window back,
// on the virtual display.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "SetupFixture.h"
#include "SingleInstanceSupport.h"

using namespace qpke2e;

namespace {

// A minimised window of this process, served by a thread of its own so that the
// launcher's cross-process calls on it are answered while the test waits.
class OwnWindow {
public:
    OwnWindow() {
        thread_ = std::thread([this] {
            window_ = CreateWindowExW(0, L"STATIC", L"first instance", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
            ShowWindow(window_, SW_SHOWMINIMIZED);
            threadId_ = GetCurrentThreadId();
            ready_ = true;
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
            DestroyWindow(window_);
        });
        for (int i = 0; i < 500 && !ready_; ++i) Sleep(10);
    }
    ~OwnWindow() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND window() const { return window_; }

private:
    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    volatile bool ready_ = false;
};

}  // namespace

using SingleInstanceWindow = SetupTest;

TEST_F(SingleInstanceWindow, SecondStartBringsTheFirstInstanceToTheFront) {
    pack(basicManifest(R"(, "10005": "1", "10007": "1")"));
    OwnWindow first;
    ASSERT_NE(first.window(), nullptr);
    ASSERT_TRUE(IsIconic(first.window()));
    writePid(lowered(setup()), GetCurrentProcessId());
    HeldSemaphore held("Local\\" + expectedKey(setup()));

    EXPECT_EQ(run({}, kKeepLog).exitCode, 0u);
    std::string log = onlyLog();
    for (const char* line : {"] found window ", "] restore\n", "] foreground\n", "] popup\n", "] done\n"})
        EXPECT_TRUE(contains(log, line)) << line << "\n" << log;
    EXPECT_FALSE(IsIconic(first.window()));
}
