// A stand-in for the system's bcrypt.dll, planted beside a program to show
// whether the program loads it: loaded into a process, it leaves a mark
// file beside itself. Its functions all fail.

#include <windows.h>

#include <string>

namespace {
constexpr LONG kNotSupported = static_cast<LONG>(0xC00000BB);
}

extern "C" {
__declspec(dllexport) LONG WINAPI BCryptOpenAlgorithmProvider(void**, const wchar_t*, const wchar_t*, ULONG) {
    return kNotSupported;
}
__declspec(dllexport) LONG WINAPI BCryptCloseAlgorithmProvider(void*, ULONG) { return kNotSupported; }
__declspec(dllexport) LONG WINAPI BCryptGetProperty(void*, const wchar_t*, UCHAR*, ULONG, ULONG*, ULONG) {
    return kNotSupported;
}
__declspec(dllexport) LONG WINAPI BCryptCreateHash(void*, void**, UCHAR*, ULONG, UCHAR*, ULONG, ULONG) {
    return kNotSupported;
}
__declspec(dllexport) LONG WINAPI BCryptHashData(void*, UCHAR*, ULONG, ULONG) { return kNotSupported; }
__declspec(dllexport) LONG WINAPI BCryptFinishHash(void*, UCHAR*, ULONG, ULONG) { return kNotSupported; }
__declspec(dllexport) LONG WINAPI BCryptDestroyHash(void*) { return kNotSupported; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring mark(path, length < MAX_PATH ? length : 0);
    mark.resize(mark.find_last_of(L'\\') + 1);
    mark += L"planted-library-loaded";
    HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
}
