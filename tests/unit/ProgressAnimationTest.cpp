// The bar's walk while packed jars are restored: once stop() returns nothing more is sent,
// so no position can follow the watcher's and move the bar back.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "payload/ProgressAnimation.h"

using namespace qpk;

namespace {

std::atomic<bool> stopReturned{false};
std::atomic<int> sentAfterStop{0};
std::vector<int> sent;  // the animation's thread only, read after stop()

void record(HWND, int position) {
    if (stopReturned) ++sentAfterStop;
    sent.push_back(position);
}

}  // namespace

TEST(ProgressAnimation, StopsBeforeItReturnsAndEndsAtThreeHundred) {
    const HWND dialog = reinterpret_cast<HWND>(1);  // record() never uses it
    // Steps of 20 ms, stopped at different points of a step.
    for (DWORD wait : {30u, 45u, 50u, 75u, 90u}) {
        sent.clear();
        stopReturned = false;
        ProgressAnimation animation(dialog, 200, record);
        Sleep(wait);
        animation.stop();
        stopReturned = true;
        Sleep(60);
        EXPECT_EQ(sentAfterStop, 0) << wait;
        for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i], 210 + 10 * int(i)) << wait;
    }
    sent.clear();
    stopReturned = false;
    ProgressAnimation quick(dialog, 10, record);
    Sleep(300);
    quick.stop();
    ASSERT_EQ(sent.size(), 10u);
    EXPECT_EQ(sent.back(), 300);
}
