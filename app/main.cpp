#include <windows.h>

#include "app/shell.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything can load a DLL by name (the system's own libraries do,
    // for menus and boxes): from System32 only, never from the program's
    // folder, where a downloaded program may find strangers beside it.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return runClearpane(instance);
}
