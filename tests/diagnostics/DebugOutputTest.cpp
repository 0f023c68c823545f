// The text that reaches the debugger, observed from inside the process: OutputDebugString
// raises a debug-print exception that a vectored handler sees before any debugger does.
#include "diagnostics/WindowsDebugLogger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

namespace {

std::vector<std::string> received;

LONG CALLBACK catchDebugPrint(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        const auto length = static_cast<std::size_t>(record->ExceptionInformation[0]);
        const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        std::string message(text, length);
        if (!message.empty() && message.back() == '\0')
            message.pop_back();
        received.push_back(message);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class DebugOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        received.clear();
        handler = AddVectoredExceptionHandler(1, catchDebugPrint);
    }
    void TearDown() override { RemoveVectoredExceptionHandler(handler); }
    void* handler = nullptr;
};

} // namespace

TEST_F(DebugOutput, StartsAtLevelFourAndFiltersBelowTheMinimum) {
    WindowsDebugLogger logger;
    EXPECT_EQ(logger.minimumLevel, 4);
    logger.write(3, "File not found: a.png");
    logger.write(4, "Framebuffer incomplete");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "Framebuffer incomplete") << "no prefix and no line break added";

    logger.minimumLevel = 1;
    logger.write(3, "File not found: a.png");
    logger.write(0, "never");
    EXPECT_TRUE(logger.resetLevel());
    logger.write(0, "level zero\n");
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1], "File not found: a.png");
    EXPECT_EQ(received[2], "level zero\n");
}

TEST_F(DebugOutput, Utf8ArrivesAsTheSameCharacters) {
    WindowsDebugLogger logger;
    logger.write(4, "caf\xC3\xA9");
    ASSERT_EQ(received.size(), 1u);
    // Wine hands the wide text on in the ANSI code page, where U+00E9 is one byte.
    EXPECT_EQ(received[0], "caf\xE9");

    received.clear();
    logger.write(4, "ok\xC0\xAFlost");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "ok") << "malformed UTF-8 ends the text";
}
