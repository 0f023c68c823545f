// Start-up, frame loop and shutdown of the whole Application on a real driver under Wine.
#include "app/Application.h"

#include "diagnostics/Logger.h"

#include "support/LogRecorder.h"
#include "support/OpenGLWindowClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HWND escapeTarget = nullptr;

void CALLBACK pressEscape(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostMessageW(escapeTarget, WM_KEYDOWN, VK_ESCAPE, 0);
}

class ApplicationTest : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(FindWindowW(L"OpenGL", nullptr), nullptr);
        EXPECT_FALSE(openGLClassRegistered());
        EXPECT_EQ(wglGetCurrentContext(), nullptr);
    }
    LogRecorder logger;
};

} // namespace

TEST_F(ApplicationTest, StartsThePictureAndRunsUntilEscape) {
    {
        DisplaySettings settings{};
        settings.width = 1280;
        settings.height = 720;
        settings.vsync = true;
        settings.aspect = 16.0f / 9.0f;
        settings.filtering = 1;
        Application application;
        ASSERT_TRUE(application.initPicture(settings));
        ASSERT_EQ(logger.lines().size(), 3u) << "the driver strings and nothing else";
        EXPECT_EQ(logger.lines()[2].text,
                  std::string(reinterpret_cast<const char*>(glGetString(GL_VERSION))) + "\n");

        const HWND window = application.window->windowHandle();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window));
        RECT client = {};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 1280);
        EXPECT_EQ(client.bottom, 720);

        escapeTarget = window;
        ASSERT_NE(SetTimer(nullptr, 0, 300, pressEscape), 0u);
        const DWORD started = GetTickCount();
        application.run();
        const DWORD ran = GetTickCount() - started;
        EXPECT_GE(ran, 250u) << "the loop ran until Escape";
        EXPECT_LT(ran, 5000u);
    }
    // Destruction took the window, the context and the class (checked in TearDown).
}

TEST_F(ApplicationTest, AFailedStartIsAFailureThatSaysWhichStepFailed) {
    // Another owner of the class name makes the bootstrap fail at its first step.
    ASSERT_TRUE(takeOpenGLClass());
    {
        Application application;
        EXPECT_EQ(application.init(), StartResult::Failed);
    }
    const std::vector<LogLine> expected = {{4, "Unable to register the window class"}};
    EXPECT_EQ(logger.lines(), expected);
    EXPECT_TRUE(openGLClassRegistered()) << "the class it could not register is not its to remove";
    UnregisterClassW(L"OpenGL", GetModuleHandleW(nullptr));
}

TEST(ShowExecutable, CarriesTheManifestAndVersionInformation) {
    // show.exe lies at a fixed place relative to this test in the build tree.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"" SHOW_EXE_FROM_TEST;

    const HMODULE module = LoadLibraryExW(
        exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << "no show.exe beside the tests";
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(resource, nullptr) << "no application manifest";
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const std::string manifest(bytes, SizeofResource(module, resource));
    FreeLibrary(module);

    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information";
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, (DWORD{SHOW_VERSION_MAJOR} << 16) | SHOW_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileType, DWORD{VFT_APP});
}
