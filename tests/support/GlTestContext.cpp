#include "support/GlTestContext.h"

#include <GL/glew.h>
#include <windows.h>

namespace {
const wchar_t className[] = L"GlTestContext";
}

bool GlTestContext::create(int width, int height) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    classAtom = RegisterClassExW(&windowClass);
    if (classAtom == 0)
        return false;
    HWND hwnd = CreateWindowExW(0, className, L"test", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    window = hwnd;
    if (hwnd == nullptr)
        return false;
    HDC dc = GetDC(hwnd);
    deviceContext = dc;
    if (dc == nullptr)
        return false;
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 24;
    format.cStencilBits = 8;
    const int index = ChoosePixelFormat(dc, &format);
    if (index == 0 || !SetPixelFormat(dc, index, &format))
        return false;
    HGLRC rc = wglCreateContext(dc);
    renderingContext = rc;
    if (rc == nullptr || !wglMakeCurrent(dc, rc))
        return false;
    glewExperimental = GL_TRUE;
    return glewInit() == GLEW_OK;
}

GlTestContext::~GlTestContext() {
    if (renderingContext != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(renderingContext));
    }
    if (deviceContext != nullptr)
        ReleaseDC(static_cast<HWND>(window), static_cast<HDC>(deviceContext));
    if (window != nullptr)
        DestroyWindow(static_cast<HWND>(window));
    if (classAtom != 0)
        UnregisterClassW(className, GetModuleHandleW(nullptr));
}
