#pragma once

// Drives a modal dialog of this thread from inside its own message loop: a thread timer set
// before the dialog opens runs one step per tick once the dialog is up, so messages posted by a
// step (keys, the close command) are handled before the next step runs.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogDriver {
  public:
    using Step = std::function<void(HWND dialog)>;

    explicit DialogDriver(std::vector<Step> steps);
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    ~DialogDriver();

    // Steps that had not run when the dialog ended; a dialog still open a while after the last
    // step is ended with result 99 and counted here as one more.
    std::size_t pendingSteps() const { return steps.size() - next + (abandoned ? 1 : 0); }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);

    std::vector<Step> steps;
    std::size_t next = 0;
    int idleTicks = 0;
    bool abandoned = false;
    UINT_PTR timer = 0;
};

// What a user sees and does, in terms of the dialog's controls.
bool isChecked(HWND dialog, int control);
bool isEnabled(HWND dialog, int control);
std::vector<std::string> entries(HWND dialog, int control);
// The selected entry's text, "" when none is selected.
std::string selected(HWND dialog, int control);
// A mouse click on a button or check box.
void click(HWND dialog, int control);
// Choosing an entry of a drop-down list by its text, as the list notifies it.
void pick(HWND dialog, int control, const std::string& text);
// A key pressed while the keyboard focus is on one of the dialog's controls.
void pressKey(HWND dialog, WPARAM key);
