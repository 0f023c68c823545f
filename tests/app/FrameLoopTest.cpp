// The frame loop's message drain: where a quit message ends the loop and what it leaves queued.
#include "app/FrameLoop.h"

#include "platform/OpenGLWindow.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>
#include <windows.h>

namespace {

constexpr UINT first = WM_APP + 1;
constexpr UINT second = WM_APP + 2;

std::vector<UINT> dispatched;

LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP)
        dispatched.push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Leaves a loop that should have ended by itself, so that the failure is reported, not a hang.
void stopRunaway(int frames) {
    if (frames >= 100)
        throw std::runtime_error("the frame loop did not end");
}

// A hidden window whose procedure records the application messages it receives.
class FrameLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dispatched.clear();
        emptyQueue();
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = recordingProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"FrameLoopTest";
        ASSERT_NE(RegisterClassExW(&windowClass), 0);
        window = CreateWindowExW(0, L"FrameLoopTest", L"", WS_OVERLAPPED, 0, 0, 8, 8, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window);
        UnregisterClassW(L"FrameLoopTest", GetModuleHandleW(nullptr));
        emptyQueue();
    }
    static void emptyQueue() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    HWND window = nullptr;
};

} // namespace

TEST_F(FrameLoopTest, AQuitInTheMiddleOfTheDrainEndsTheLoopBeforeThatFrame) {
    int frames = 0;
    runFrameLoop([&] {
        ++frames;
        if (frames == 1) {
            // Queued in this order; PostQuitMessage would only arrive once the queue is empty.
            PostMessageW(window, first, 0, 0);
            PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 0, 0);
            PostMessageW(window, second, 0, 0);
        }
        stopRunaway(frames);
    });
    EXPECT_EQ(frames, 1) << "no frame is drawn after the quit message";
    EXPECT_EQ(dispatched, std::vector<UINT>({first}));

    // What came after the quit message is still queued, not dispatched.
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, second);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(FrameLoopTest, FramesRunUntilTheQuitMessageArrives) {
    int frames = 0;
    runFrameLoop([&] {
        ++frames;
        PostMessageW(window, first, 0, 0);
        if (frames == 3)
            PostQuitMessage(0);
        stopRunaway(frames);
    });
    EXPECT_EQ(frames, 3);
    // Every message posted before the quit was dispatched, in order, frame by frame.
    EXPECT_EQ(dispatched, std::vector<UINT>({first, first, first}));
}

TEST_F(FrameLoopTest, DrainingAnEmptyQueueKeepsGoing) {
    EXPECT_TRUE(drainMessages());
    PostMessageW(window, first, 0, 0);
    PostMessageW(window, second, 0, 0);
    EXPECT_TRUE(drainMessages());
    EXPECT_EQ(dispatched, std::vector<UINT>({first, second}));
}

TEST_F(FrameLoopTest, EscapeOnTheShowWindowEndsTheLoopInTheSameDrain) {
    IntrusivePointer<OpenGLWindow> show(new OpenGLWindow);
    ASSERT_TRUE(show->initExtensions());
    int frames = 0;
    runFrameLoop([&] {
        ++frames;
        // Another key first: it must not end anything.
        if (frames == 1)
            PostMessageW(show->windowHandle(), WM_KEYDOWN, 'A', 0);
        if (frames == 2)
            PostMessageW(show->windowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
        stopRunaway(frames);
    });
    EXPECT_EQ(frames, 2);
}
