/* Stands in for a DLL that a web page left in the Downloads folder under a
 * system DLL's name. Whoever loads it leaves a mark, a file named after the
 * DLL's own path with ".loaded" added, and the load then fails: a program
 * that asked for it at run time goes on as without it, and one that imports
 * it does not start. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    wchar_t path[MAX_PATH + 8] = {0};
    const DWORD length = reason == DLL_PROCESS_ATTACH ? GetModuleFileNameW(self, path, MAX_PATH) : 0;
    (void)reserved;
    if (length > 0 && length < MAX_PATH) {
        HANDLE mark = CreateFileW(lstrcatW(path, L".loaded"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
    return reason != DLL_PROCESS_ATTACH;
}
