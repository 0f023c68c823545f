#pragma once

// The window class "OpenGL" that the show registers, as tests see it from outside.
#include <windows.h>

inline bool openGLClassRegistered() {
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    return GetClassInfoExW(GetModuleHandleW(nullptr), L"OpenGL", &info) != FALSE;
}

// Registers "OpenGL" as somebody else's class, so that the show's own registration fails.
// The caller unregisters it.
inline bool takeOpenGLClass() {
    WNDCLASSEXW other = {};
    other.cbSize = sizeof other;
    other.lpfnWndProc = DefWindowProcW;
    other.hInstance = GetModuleHandleW(nullptr);
    other.lpszClassName = L"OpenGL";
    return RegisterClassExW(&other) != 0;
}
