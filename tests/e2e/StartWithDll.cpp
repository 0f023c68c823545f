// Starts a program with a DLL loaded into it before its entry point runs, waits for it and exits
// with its exit code:
//   start_with_dll DLL PROGRAM
// The program is created suspended, a thread of its own loads the DLL, then it resumes. Exit code
// 2 (and a line on standard error) when the DLL could not be loaded: the program never runs.
#include <cstdio>
#include <string>
#include <windows.h>

namespace {

int refuse(const char* what, PROCESS_INFORMATION* started = nullptr) {
    std::fprintf(stderr, "start_with_dll: %s (error %lu)\n", what, GetLastError());
    if (started != nullptr) {
        TerminateProcess(started->hProcess, 2);
        CloseHandle(started->hThread);
        CloseHandle(started->hProcess);
    }
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: start_with_dll DLL PROGRAM\n");
        return 2;
    }
    wchar_t dll[MAX_PATH] = {};
    if (GetFullPathNameW(argv[1], MAX_PATH, dll, nullptr) == 0)
        return refuse("no such DLL path");
    std::wstring commandLine = L"\"" + std::wstring(argv[2]) + L"\"";

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(argv[2], commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process))
        return refuse("cannot start the program");

    // The DLL's path in the program's memory, then LoadLibraryW on it in a thread of its own: the
    // loader's address is the same in every process of this architecture.
    const SIZE_T bytes = (wcslen(dll) + 1) * sizeof(wchar_t);
    void* path = VirtualAllocEx(process.hProcess, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (path == nullptr || !WriteProcessMemory(process.hProcess, path, dll, bytes, nullptr))
        return refuse("cannot write into the program", &process);
    const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    HANDLE loader = CreateRemoteThread(process.hProcess, nullptr, 0, load, path, 0, nullptr);
    if (loader == nullptr)
        return refuse("cannot start a thread in the program", &process);
    DWORD loaded = 0;
    const bool finished =
        WaitForSingleObject(loader, 30000) == WAIT_OBJECT_0 && GetExitCodeThread(loader, &loaded);
    CloseHandle(loader);
    if (!finished || loaded == 0)
        return refuse("the DLL was not loaded", &process);

    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
