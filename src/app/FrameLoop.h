#pragma once

// Dispatches every message waiting for this thread. Returns false as soon as it removes
// WM_QUIT; the messages queued behind it stay queued.
bool drainMessages();

// Calls `frame` once per pass until a drain meets the quit message: the frame of that pass is
// not drawn.
template <class Frame> void runFrameLoop(Frame&& frame) {
    while (drainMessages())
        frame();
}
