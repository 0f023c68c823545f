#include "DialogDriver.h"

#include <gtest/gtest.h>

namespace {

DialogDriver* activeDriver = nullptr;

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770")
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND openDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

DialogDriver::DialogDriver(std::vector<Step> steps) : steps(std::move(steps)) {
    activeDriver = this;
    timer = SetTimer(nullptr, 0, 20, tick);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer);
    activeDriver = nullptr;
}

void CALLBACK DialogDriver::tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* driver = activeDriver;
    HWND dialog = openDialog();
    // Wine shows a dialog once its queue first runs empty; drive it only as the user sees it.
    if (driver == nullptr || dialog == nullptr || !IsWindowVisible(dialog))
        return;
    if (driver->next < driver->steps.size()) {
        // Advance first: a failed assertion returns from the step, not from the driver.
        Step& step = driver->steps[driver->next++];
        step(dialog);
        return;
    }
    // Two seconds after the last step: nothing ended the dialog.
    if (++driver->idleTicks == 100) {
        driver->abandoned = true;
        EndDialog(dialog, 99);
    }
}

bool isChecked(HWND dialog, int control) {
    return IsDlgButtonChecked(dialog, control) == BST_CHECKED;
}

bool isEnabled(HWND dialog, int control) {
    return IsWindowEnabled(GetDlgItem(dialog, control));
}

std::vector<std::string> entries(HWND dialog, int control) {
    std::vector<std::string> result;
    const LRESULT count = SendDlgItemMessageA(dialog, control, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendDlgItemMessageA(dialog, control, CB_GETLBTEXTLEN, i, 0);
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendDlgItemMessageA(dialog, control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<std::size_t>(length));
        result.push_back(text);
    }
    return result;
}

std::string selected(HWND dialog, int control) {
    const LRESULT index = SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0);
    if (index < 0)
        return "";
    return entries(dialog, control).at(static_cast<std::size_t>(index));
}

void click(HWND dialog, int control) {
    SendDlgItemMessageW(dialog, control, BM_CLICK, 0, 0);
}

void pick(HWND dialog, int control, const std::string& text) {
    const LRESULT index = SendDlgItemMessageA(dialog, control, CB_FINDSTRINGEXACT, WPARAM(-1),
                                              reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_GE(index, 0) << "no entry \"" << text << "\"";
    SendDlgItemMessageA(dialog, control, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

void pressKey(HWND dialog, WPARAM key) {
    HWND focus = GetFocus();
    ASSERT_TRUE(focus != nullptr && IsChild(dialog, focus)) << "the focus is not in the dialog";
    PostMessageW(focus, WM_KEYDOWN, key, 0);
}
