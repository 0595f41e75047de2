#include <windows.h>

#include "app/shell.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return runClearpane(instance);
}
