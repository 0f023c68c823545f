// Loaded into a program before its entry point (see StartWithDll.cpp), this registers a window
// class "OpenGL" for the program's own module: the show's registration of its class then really
// collides inside its process.
#include <windows.h>

namespace {

LRESULT CALLBACK rivalProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        WNDCLASSEXW rival = {};
        rival.cbSize = sizeof rival;
        rival.lpfnWndProc = rivalProcedure;
        rival.hInstance = GetModuleHandleW(nullptr);
        rival.lpszClassName = L"OpenGL";
        // Failing here would leave nothing to test: the program is then not started.
        return RegisterClassExW(&rival) != 0;
    }
    return TRUE;
}
