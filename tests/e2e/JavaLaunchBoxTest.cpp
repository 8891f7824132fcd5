// The progress dialog of a setup that runs the Java stand-in on the real Java 11 runtime:
// its texts, its disappearance once the installer's window shows, and Cancel.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "JavaInstallerFixture.h"
#include "MessageBoxes.h"
#include "Utf8.h"

using namespace qpke2e;

namespace {

bool waitUntilHidden(HWND window, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(100);
    }
    return false;
}

// The visible progress dialog of the process (a class of its own, not a message box).
HWND findProgressDialog(DWORD pid, DWORD timeoutMs) {
    qpktest::BoxQuery query{pid, "", true, L"MyDialogClass"};
    auto found = qpktest::findMessageBox(query, timeoutMs);
    return found ? found->window : nullptr;
}

std::string windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return qpktest::narrow(text);
}

// The bar as the screen shows it: for each column of its middle row, whether the pixel has the
// highlight colour in which the progress bar draws its filled part.
std::vector<bool> filledColumns(HWND bar) {
    std::vector<bool> filled;
    RECT r;
    if (!GetWindowRect(bar, &r)) return filled;
    int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
            DWORD wanted = (GetRValue(highlight) << 16) | (GetGValue(highlight) << 8) | GetBValue(highlight);
            const DWORD* row = static_cast<const DWORD*>(bits) + (h / 2) * w;
            for (int x = 0; x < w; ++x) filled.push_back((row[x] & 0xFFFFFF) == wanted);
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return filled;
}

}  // namespace

class JavaLaunchBox : public JavaInstallerTest {
protected:
    void SetUp() override {
        JavaInstallerTest::SetUp();
        pack(R"({"narrow": {"107": "1", "2001": "q"}, "wide": {"20007": "Preparing the installer",
                 "20013": "Stand-in Setup", "20012": "Stop", "1005": "JVM not started"},
                 "files": )" +
             installerFiles() + "}");
    }
};

TEST_F(JavaLaunchBox, DialogShowsItsTextsAndHidesWhenTheInstallerWindowShows) {
    qpktest::RunningProgram program(javaOptions("sleep:5000,window:4000"));
    ASSERT_TRUE(program.started());
    HWND dialog = findProgressDialog(program.processId(), 30000);
    ASSERT_TRUE(dialog) << "no progress dialog";
    EXPECT_EQ(windowText(dialog), "Stand-in Setup");
    EXPECT_EQ(dialogItemText(dialog, 1003), "Preparing the installer");
    EXPECT_EQ(dialogItemText(dialog, IDCANCEL), "Stop");
    // The watcher moves the bar while the Java side has no window yet.
    HWND bar = GetDlgItem(dialog, 1001);
    LRESULT position = 0;
    for (int i = 0; i < 100 && position <= 100; ++i, Sleep(100)) position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    EXPECT_GT(position, 100);
    // On the screen the bar is filled as far as its position, which moves on meanwhile.
    LRESULT low = SendMessageW(bar, PBM_GETRANGE, TRUE, 0), high = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
    LRESULT before = SendMessageW(bar, PBM_GETPOS, 0, 0);
    UpdateWindow(bar);  // paints at least that far
    std::vector<bool> columns = filledColumns(bar);
    LRESULT after = SendMessageW(bar, PBM_GETPOS, 0, 0);
    ASSERT_TRUE(IsWindowVisible(dialog)) << "the installer's window came before the screenshot";
    ASSERT_GT(columns.size(), 100u);
    ASSERT_EQ(low, 0);
    ASSERT_EQ(high, 400);
    size_t filled = 0;
    for (bool c : columns) filled += c;
    std::string shown;
    for (bool c : columns) shown += c ? '#' : '.';
    double fraction = double(filled) / double(columns.size() - 2);  // less the frame
    EXPECT_GE(fraction, double(before) / 400 - 0.05) << before << ": " << shown;
    EXPECT_LE(fraction, double(after) / 400 + 0.05) << after << ": " << shown;
    EXPECT_TRUE(columns[1] && !columns[columns.size() - 2]) << shown;

    EXPECT_TRUE(waitUntilHidden(dialog, 30000)) << "dialog still visible";
    auto r = program.wait();
    EXPECT_EQ(r.exitCode, 0u);
    std::string rec = readFile(record_);
    EXPECT_TRUE(contains(rec, "window=shown")) << rec;
    std::string log = onlyLog();
    EXPECT_TRUE(contains(log, "] Java window visible")) << log;
    // The per-process marker goes with the visible window; the global one stays for the runtime.
    EXPECT_EQ(installMarker("InstallStarted_" + outputValue(rec, "pid")), -1);
    EXPECT_EQ(installMarker("InstallStarted"), 1);
}

TEST_F(JavaLaunchBox, CancelEndsTheSetupAndDeletesTheMarkers) {
    qpktest::RunningProgram program(javaOptions("sleep:30000"));
    ASSERT_TRUE(program.started());
    HWND dialog = findProgressDialog(program.processId(), 30000);
    ASSERT_TRUE(dialog) << "no progress dialog";
    // Cancel once the Java side runs, so that the markers exist to be deleted.
    auto recordDone = [&] { return fileExists(record_) && contains(readFile(record_), "recorded=1"); };
    for (int i = 0; i < 300 && !recordDone(); ++i) Sleep(100);
    ASSERT_TRUE(recordDone());
    std::string pid = outputValue(readFile(record_), "pid");
    EXPECT_EQ(installMarker("InstallStarted_" + pid), 1);
    // As a click on the button does.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDCANCEL)));
    auto r = program.wait();
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(contains(onlyLog(), "] Canceled installer"));
    EXPECT_EQ(installMarker("InstallStarted_" + pid), -1);
    EXPECT_EQ(installMarker("InstallStarted"), -1);
}
