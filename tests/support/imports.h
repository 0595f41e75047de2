#pragma once
// Calls the program makes to a system DLL, caught at this executable's
// import table on their way to the real function: for what the system keeps
// and offers no way to read back (a tray icon's picture and tip, a timer's
// period).

#include <windows.h>

namespace imports {

// Points the import of `function` from `dll` at `replacement`; returns the
// real function, or null when nothing imports it. Call once per function.
template <typename Function>
Function redirect(const char* dll, const char* function, Function replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto real = reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleA(dll), function));
    const auto* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD table = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + table); real && module->Name; ++module) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk); slot->u1.Function; ++slot) {
            if (slot->u1.Function != real) continue;
            DWORD was = 0;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &was);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, was, &was);
            return reinterpret_cast<Function>(real);
        }
    }
    return nullptr;
}

}  // namespace imports
