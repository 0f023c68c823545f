// The launcher in a program that carries no dialog template, so that DialogBoxParamW really fails:
// that is a failure with its own line, not the user leaving.
#include "launcher/Launcher.h"
#include "support/LogRecorder.h"

#include <gtest/gtest.h>

TEST(MissingDialog, IsAFailureThatSaysSoAndLeavesTheSettingsAlone) {
    LogRecorder logger;
    DisplaySettings settings{};
    settings.width = 11;
    settings.height = 22;
    EXPECT_EQ(Launcher::run(nullptr, settings), LauncherResult::Failed);
    const std::vector<LogLine> expected = {{4, "Unable to create the launcher dialog"}};
    EXPECT_EQ(logger.lines(), expected);
    EXPECT_EQ(settings.width, 11);
    EXPECT_EQ(settings.height, 22);
}
