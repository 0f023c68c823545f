#include "app/Schedule.h"

#include <cstdint>

ScheduledScene sceneAt(float showTime) {
    // Whole seconds above 30 always mean the tunnel. Deciding that first also keeps the integer
    // conversions below in range however long the show runs (and turns NaN into the tunnel).
    if (!(showTime < 31.0f))
        return ScheduledScene::Tunnel;
    const auto halfSeconds = static_cast<std::int32_t>(showTime * 0.5f);
    return halfSeconds % 2 == 0 ? ScheduledScene::Text : ScheduledScene::Tunnel;
}
