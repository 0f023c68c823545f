#include "platform/DisplayModeKeeper.h"

bool DisplayModeKeeper::start() {
    if (actions_.isForeground())
        return switchNow();
    actions_.minimize();
    return true;
}

void DisplayModeKeeper::recheck() {
    const bool foreground = actions_.isForeground();
    if (foreground && !switched_) {
        switchNow();
    } else if (!foreground && switched_) {
        switched_ = false;
        actions_.restoreModes();
        actions_.minimize();
    }
}

bool DisplayModeKeeper::switchNow() {
    // Switched before it is asked for: a deactivation that arrives during the switch finds the
    // desktop to restore.
    switched_ = true;
    if (!actions_.switchMode())
        switched_ = false;
    // Lost during the switch, the show stays out of the way: the posted recheck restores.
    if (actions_.isForeground())
        actions_.cover(switched_);
    return switched_;
}
