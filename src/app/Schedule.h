#pragma once

// Which scene draws a frame. Text pages and the tunnel alternate every two seconds for the first
// thirty; from then on only the tunnel runs.
enum class ScheduledScene { Text, Tunnel };

// The schedule and the scenes see the show time only in single precision (rounded to nearest),
// so a time just below a boundary may already belong to the next interval.
inline float singlePrecisionShowTime(double seconds) {
    return static_cast<float>(seconds);
}

ScheduledScene sceneAt(float showTime);
