#include "settings/registry.h"

LONG RegistryKey::openForRead(const wchar_t* path) {
    close();
    return RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key_);
}

LONG RegistryKey::openForWrite(const wchar_t* path) {
    close();
    return RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key_,
                           nullptr);
}

LONG RegistryKey::close() {
    LONG result = ERROR_SUCCESS;
    if (key_) result = RegCloseKey(key_);
    key_ = nullptr;
    return result;
}

std::optional<DWORD> readDword(HKEY key, const wchar_t* name) {
    DWORD data = 0, type = 0, size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return data;
}

std::optional<std::wstring> readString(HKEY key, const wchar_t* name, DWORD maxBytes) {
    // Two spare zero characters: the data need not be terminated.
    std::vector<wchar_t> buffer(maxBytes / sizeof(wchar_t) + 2, L'\0');
    DWORD type = 0, size = maxBytes;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::wstring(buffer.data());
}

std::optional<std::vector<BYTE>> readBinary(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY) {
        return std::nullopt;
    }
    std::vector<BYTE> data(size, 0);
    // The value may change between the two queries: the second one's length counts.
    if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS || type != REG_BINARY) {
        return std::nullopt;
    }
    data.resize(size);
    return data;
}

LONG writeDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG writeString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG writeBinary(HKEY key, const wchar_t* name, const std::vector<BYTE>& data) {
    return RegSetValueExW(key, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

LONG deleteValue(HKEY key, const wchar_t* name) { return RegDeleteValueW(key, name); }
