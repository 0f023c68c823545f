#include "platform/DisplayModeKeeper.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The window system as the keeper meets it, writing down what it is asked to do.
struct FakeWindow final : DisplayModeKeeper::Actions {
    DisplayModeKeeper keeper{*this};
    bool foreground = false;
    bool switchFails = false;
    bool deactivatedDuringSwitch = false;
    int posted = 0;
    std::string log;

    void note(const char* action) { log += (log.empty() ? "" : " ") + std::string(action); }
    bool isForeground() override { return foreground; }
    bool switchMode() override {
        note("switch");
        if (deactivatedDuringSwitch) {
            // The user clicks another program while the monitor changes mode.
            foreground = false;
            keeper.activationChanged();
        }
        return !switchFails;
    }
    void restoreModes() override { note("restore"); }
    void minimize() override { note("minimize"); }
    void cover(bool switched) override { note(switched ? "cover+" : "cover-"); }
    void postRecheck() override {
        note("post");
        ++posted;
    }
};

} // namespace

// Events: S start, A the user brings the show to the front, D the user leaves it, R the message
// loop runs what was posted; F and N ready the next switch to fail or to be interrupted by a
// deactivation. What each of the others made the window system do, "-" nothing, separated by "|".
TEST(DisplayModeKeeper, SwitchesOnlyForAShowInFrontAndNeverInsideAnActivation) {
    struct Row {
        const char* name;
        bool foregroundAtStart;
        const char* events;
        const char* expected;
        bool switchedAtEnd;
    };
    for (const Row& row : {
             Row{"Alt+Tab away and back", true, "SDRAR",
                 "switch cover+ | post | restore minimize | post | switch cover+", true},
             Row{"left during the switch", true, "NSR", "switch post | restore minimize", false},
             Row{"foreground refused at start", false, "SRAR",
                 "minimize | - | post | switch cover+", true},
             Row{"never in front", false, "SRDR", "minimize | - | post | -", false},
             Row{"activations alone", true, "SAAR", "switch cover+ | post | post | -", true},
             Row{"switch refused at start", true, "FS", "switch cover- failed", false},
             Row{"switch refused on return", false, "SFAR", "minimize | post | switch cover-",
                 false},
         }) {
        SCOPED_TRACE(row.name);
        FakeWindow window;
        window.foreground = row.foregroundAtStart;
        std::string events;
        for (const char* event = row.events; *event != '\0'; ++event) {
            window.log.clear();
            switch (*event) {
            case 'S':
                if (!window.keeper.start())
                    window.note("failed");
                break;
            case 'A':
            case 'D':
                window.foreground = *event == 'A';
                window.keeper.activationChanged();
                break;
            case 'R':
                for (; window.posted > 0; --window.posted)
                    window.keeper.recheck();
                break;
            case 'F':
                window.switchFails = true;
                continue;
            case 'N':
                window.deactivatedDuringSwitch = true;
                continue;
            }
            events += (events.empty() ? "" : " | ") + (window.log.empty() ? "-" : window.log);
        }
        EXPECT_EQ(events, row.expected);
        EXPECT_EQ(window.keeper.switched(), row.switchedAtEnd);
    }
}
