#include "diagnostics/Logger.h"
#include "diagnostics/StderrLogger.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string captured(Logger& logger, int level, const char* text) {
    ::testing::internal::CaptureStderr();
    logger.write(level, text);
    logger.flush();
    return ::testing::internal::GetCapturedStderr();
}

} // namespace

TEST(StderrLogger, DropsMessagesBelowTheMinimumLevel) {
    StderrLogger logger(4);
    EXPECT_EQ(captured(logger, 3, "dropped"), "");
    EXPECT_EQ(captured(logger, 4, "Framebuffer incomplete"), "[4] Framebuffer incomplete\n");
    logger.minimumLevel = 1;
    EXPECT_NE(captured(logger, 3, "kept"), "");
    EXPECT_EQ(captured(logger, 0, "zero"), "");
    EXPECT_TRUE(logger.resetLevel());
    EXPECT_EQ(captured(logger, 0, "zero\n"), "[0] zero\n");
}

TEST(GlobalLogger, InstallingReleasesThePreviousLogger) {
    struct Counting : Logger {
        explicit Counting(int* destroyed) : destroyed(destroyed) {}
        ~Counting() override { ++*destroyed; }
        bool resetLevel() override { return true; }
        void write(int, const char*) override {}
        void flush() override {}
        int* destroyed;
    };
    int first = 0, second = 0;
    IntrusivePointer<Logger> saved = g_logger;
    g_logger = new Counting(&first);
    g_logger = new Counting(&second);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    g_logger = saved;
    EXPECT_EQ(second, 1);
}
