// Reports, from inside the Wine session, the top-level windows of class "OpenGL" of every process,
// every running show.exe, the lists of an open "Intro" dialog and a message box of show.exe: the
// end-to-end tests compare what the show opened with what it should have opened, drive the
// launcher by what it offers, and the soak watches the process's handles and memory. One line
// each:
//   window visible=1 title=OpenGL client=1280x720 origin=3,22 rect=0,0,1286,745 image=show.exe
//          close=1275,11 foreground=1 iconic=0
//   box icon=1 buttons=OK ok=960,560 title=Intro text=File not found: ...
//   process image=show.exe pid=32 handles=120 private=52428800
//   dialog client=738,455,1187,650
//   control id=1006 class=ComboBox rect=790,481,922,502
//   list id=1006 selected=2 items=1920 x 1080|1680 x 1050|1280 x 720
//   check id=1003 checked=1
// where foreground says the window is the active one, icon that the box shows one, buttons the
// texts of its buttons and ok the screen point of its OK button. "window_probe restore" gives
// every show window back the foreground and restores it, as a click on its taskbar button does;
// "window_probe other" is another program: a box of its own, made active, until it is ended.
// where close is a screen point on the caption's close button ("none" without one), origin the
// client area's top left and rect the window's outer rectangle on screen, private the process's
// private bytes, and id the dialog control's identifier; rectangles are left, top, right, bottom
// in screen pixels.
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

std::wstring imageName(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr)
        return L"?";
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const BOOL ok = QueryFullProcessImageNameW(handle, 0, path, &size);
    CloseHandle(handle);
    if (!ok)
        return L"?";
    const std::wstring full(path, size);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

// Asks the window itself where its close button is: the centre of the points it hit-tests as
// HTCLOSE in the caption band.
std::string closeButton(HWND window) {
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION)
        return "none";
    // The close button is the caption's last button; the window confirms it with one hit test
    // (a busy show answers each message only between frames, so a scan would take minutes).
    TITLEBARINFO bar = {};
    bar.cbSize = sizeof bar;
    if (!GetTitleBarInfo(window, &bar))
        return "none";
    const int x = bar.rcTitleBar.right - GetSystemMetrics(SM_CXSIZE) / 2;
    const int y = (bar.rcTitleBar.top + bar.rcTitleBar.bottom) / 2;
    DWORD_PTR hit = 0;
    if (!SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 5000,
                             &hit) ||
        hit != HTCLOSE)
        return "none";
    return std::to_string(x) + "," + std::to_string(y);
}

bool restoring = false;
// As the taskbar's "Close window" does it.
bool closing = false;

BOOL CALLBACK report(HWND window, LPARAM) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"OpenGL")
        return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    RECT outer = {};
    GetWindowRect(window, &outer);
    std::printf("window visible=%d title=%s client=%ldx%ld origin=%ld,%ld rect=%ld,%ld,%ld,%ld "
                "image=%s close=%s foreground=%d iconic=%d\n",
                IsWindowVisible(window) ? 1 : 0, utf8(title).c_str(), client.right - client.left,
                client.bottom - client.top, origin.x, origin.y, outer.left, outer.top, outer.right,
                outer.bottom, utf8(imageName(window)).c_str(), closeButton(window).c_str(),
                GetForegroundWindow() == window ? 1 : 0, IsIconic(window) ? 1 : 0);
    if (restoring) {
        PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        SetForegroundWindow(window);
    }
    if (closing)
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return TRUE;
}

// The launcher is the dialog with a resolution list; any other dialog of show.exe is a box.
constexpr int resolutionList = 1006;
HWND launcher = nullptr;

// A message box's text, its buttons' texts, its OK button's centre and whether it has an icon.
struct Box {
    std::string text, buttons, ok = "none";
    bool icon = false;
};

BOOL CALLBACK readBoxControl(HWND control, LPARAM data) {
    Box& box = *reinterpret_cast<Box*>(data);
    wchar_t className[32] = {}, text[1024] = {};
    GetClassNameW(control, className, 32);
    GetWindowTextW(control, text, 1024);
    RECT r = {};
    GetWindowRect(control, &r);
    if (lstrcmpiW(className, L"Button") == 0)
        box.buttons += (box.buttons.empty() ? "" : "|") + utf8(text);
    if (lstrcmpiW(className, L"Button") == 0 && GetDlgCtrlID(control) == IDOK)
        box.ok =
            std::to_string((r.left + r.right) / 2) + "," + std::to_string((r.top + r.bottom) / 2);
    if (lstrcmpiW(className, L"Static") == 0 &&
        (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        box.icon = true;
    else if (lstrcmpiW(className, L"Static") == 0 && text[0] != 0)
        box.text = utf8(text);
    return TRUE;
}

BOOL CALLBACK reportDialog(HWND window, LPARAM) {
    wchar_t className[64] = {}, title[256] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 256);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window))
        return TRUE;
    if (GetDlgItem(window, resolutionList) != nullptr)
        launcher = window;
    if (launcher == window || lstrcmpiW(imageName(window).c_str(), L"show.exe") != 0)
        return TRUE;
    Box box;
    EnumChildWindows(window, readBoxControl, reinterpret_cast<LPARAM>(&box));
    std::string text; // escaped as Wine escapes debugger output
    for (char c : box.text)
        text += c == '\n' ? "\\n" : c == '\\' ? "\\\\" : c == '\r' ? "" : std::string(1, c);
    std::printf("box icon=%d buttons=%s ok=%s title=%s text=%s\n", box.icon ? 1 : 0,
                box.buttons.c_str(), box.ok.c_str(), utf8(title).c_str(), text.c_str());
    return TRUE;
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

BOOL CALLBACK reportControl(HWND control, LPARAM) {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const int id = GetDlgCtrlID(control);
    RECT outer = {};
    GetWindowRect(control, &outer);
    const bool groupBox = lstrcmpiW(className, L"Button") == 0 &&
                          (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
    std::printf("control id=%d class=%s rect=%s\n", id,
                groupBox ? "GroupBox" : utf8(className).c_str(), rectText(outer).c_str());
    if (lstrcmpiW(className, L"ComboBox") == 0) {
        const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
        std::string items;
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            if (SendMessageW(control, CB_GETLBTEXTLEN, i, 0) < 256)
                SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items += (i != 0 ? "|" : "") + utf8(text);
        }
        std::printf("list id=%d selected=%ld items=%s\n", id,
                    static_cast<long>(SendMessageW(control, CB_GETCURSEL, 0, 0)), items.c_str());
    } else if (lstrcmpiW(className, L"Button") == 0 &&
               (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        std::printf("check id=%d checked=%d\n", id,
                    SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    }
    return TRUE;
}

void reportShows() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"show.exe") != 0)
            continue;
        DWORD handles = 0;
        PROCESS_MEMORY_COUNTERS_EX memory = {};
        const HANDLE process =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (process != nullptr) {
            GetProcessHandleCount(process, &handles);
            GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                 sizeof memory);
            CloseHandle(process);
        }
        std::printf("process image=show.exe pid=%lu handles=%lu private=%llu\n",
                    entry.th32ProcessID, handles,
                    static_cast<unsigned long long>(memory.PrivateUsage));
    }
    CloseHandle(snapshot);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "other") // until it is ended
        return MessageBoxW(nullptr, L"Another program", L"Other", MB_OK | MB_SETFOREGROUND);
    restoring = argc > 1 && std::string(argv[1]) == "restore";
    closing = argc > 1 && std::string(argv[1]) == "close";
    EnumWindows(report, 0);
    reportShows();
    EnumWindows(reportDialog, 0);
    if (const HWND dialog = launcher) {
        RECT client = {};
        GetClientRect(dialog, &client);
        MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
        std::printf("dialog client=%s\n", rectText(client).c_str());
        EnumChildWindows(dialog, reportControl, 0);
    }
    std::fflush(stdout);
    return 0;
}
