// Resources and imports of the built Clearpane.exe, read from the file
// itself as Windows would: icon groups, version record, manifest, the DLLs
// the program needs at start and its defences against exploits.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

// Made in the build tree from the project's version.
#include "clearpane_version.h"
#include "e2e/e2e_support.h"
#include "res/resource_ids.h"
#include "settings/gdi.h"

namespace {

constexpr WORD kIdleIcon = IDI_CLEARPANE_IDLE;
constexpr WORD kFilteredIcon = IDI_CLEARPANE_FILTERED;
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
constexpr WORD kVersion[] = {CLEARPANE_VERSION_NUMBERS};
const std::string kVersionText = CLEARPANE_VERSION_TEXT;

using e2e::programPath;

// The program file opened for its resources only: nothing of it runs.
class ProgramImage {
public:
    ProgramImage()
        : module_(LoadLibraryExW(programPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)),
          openError_(module_ ? 0 : GetLastError()) {}
    ~ProgramImage() {
        if (module_) FreeLibrary(module_);
    }
    ProgramImage(const ProgramImage&) = delete;
    ProgramImage& operator=(const ProgramImage&) = delete;

    HMODULE get() const { return module_; }
    DWORD openError() const { return openError_; }

    std::vector<BYTE> resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC info = FindResourceW(module_, name, type);
        if (!info) return {};
        HGLOBAL loaded = LoadResource(module_, info);
        const DWORD size = SizeofResource(module_, info);
        const auto* bytes = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
        if (!bytes) return {};
        return std::vector<BYTE>(bytes, bytes + size);
    }

private:
    HMODULE module_;
    DWORD openError_;
};

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconHeader) == 6 && sizeof(GroupIconEntry) == 14);

std::vector<GroupIconEntry> groupEntries(const std::vector<BYTE>& group) {
    if (group.size() < sizeof(GroupIconHeader)) return {};
    GroupIconHeader header;
    std::memcpy(&header, group.data(), sizeof header);
    if (header.reserved != 0 || header.type != 1) return {};
    if (group.size() < sizeof header + header.count * sizeof(GroupIconEntry)) return {};
    std::vector<GroupIconEntry> entries(header.count);
    std::memcpy(entries.data(), group.data() + sizeof header, header.count * sizeof(GroupIconEntry));
    return entries;
}

uint32_t bigEndian32(const BYTE* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

struct Rgb {
    int r, g, b;
};

// Draws the icon over a plain background and reads the pixels back, so
// transparency shows as the background coming through.
std::vector<Rgb> renderIcon(HICON icon, COLORREF background, int size) {
    MemoryCanvas canvas;
    std::vector<Rgb> pixels;
    if (canvas.makePixels(size, size)) {
        RECT all = {0, 0, size, size};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(canvas.dc(), &all, brush);
        DeleteObject(brush);
        DrawIconEx(canvas.dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const auto* p = reinterpret_cast<const BYTE*>(canvas.pixels());
        for (int i = 0; i < size * size; ++i)
            pixels.push_back({p[4 * i + 2], p[4 * i + 1], p[4 * i]});
    }
    return pixels;
}

::testing::AssertionResult looksLike(const std::vector<Rgb>& pixels, int size, int x, int y,
                                     COLORREF expected, int tolerance = 24) {
    if (pixels.size() != static_cast<size_t>(size * size))
        return ::testing::AssertionFailure() << "icon was not rendered";
    const Rgb& p = pixels[y * size + x];
    const int r = GetRValue(expected), g = GetGValue(expected), b = GetBValue(expected);
    if (std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance &&
        std::abs(p.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    char text[128];
    std::snprintf(text, sizeof text, "pixel (%d,%d) is #%02X%02X%02X, expected about #%02X%02X%02X",
                  x, y, p.r, p.g, p.b, r, g, b);
    return ::testing::AssertionFailure() << text;
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(image.get(), nullptr)
            << "cannot open Clearpane.exe beside the tests, error " << image.openError();
    }
    ProgramImage image;
};

void checkIconGroup(const ProgramImage& image, WORD groupId) {
    SCOPED_TRACE(::testing::Message() << "icon group " << groupId);
    const auto group = image.resource(RT_GROUP_ICON, MAKEINTRESOURCEW(groupId));
    ASSERT_FALSE(group.empty());
    const auto entries = groupEntries(group);
    ASSERT_EQ(entries.size(), std::size(kIconSizes));

    std::vector<int> sizes;
    for (const auto& entry : entries) {
        const int side = entry.width == 0 ? 256 : entry.width;
        SCOPED_TRACE(::testing::Message() << side << " px, image " << entry.id);
        sizes.push_back(side);
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.bitCount, 32);
        EXPECT_EQ(entry.planes, 1);

        const auto png = image.resource(RT_ICON, MAKEINTRESOURCEW(entry.id));
        ASSERT_GE(png.size(), 33u);
        EXPECT_EQ(entry.bytesInRes, png.size());
        static const BYTE signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        ASSERT_EQ(std::memcmp(png.data(), signature, 8), 0) << "image is not stored as PNG";
        ASSERT_EQ(std::memcmp(png.data() + 12, "IHDR", 4), 0);
        EXPECT_EQ(bigEndian32(png.data() + 16), static_cast<uint32_t>(side));
        EXPECT_EQ(bigEndian32(png.data() + 20), static_cast<uint32_t>(side));
        EXPECT_EQ(png[24], 8) << "bit depth";
        EXPECT_EQ(png[25], 6) << "colour type (6 is RGBA)";
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_TRUE(std::equal(sizes.begin(), sizes.end(), std::begin(kIconSizes), std::end(kIconSizes)));
}

TEST_F(Resources, IdleIconGroupHoldsSixPngImages) { checkIconGroup(image, kIdleIcon); }

TEST_F(Resources, FilteredIconGroupHoldsSixPngImages) { checkIconGroup(image, kFilteredIcon); }

TEST_F(Resources, IconsLoadAtTraySizes) {
    for (WORD id : {kIdleIcon, kFilteredIcon}) {
        for (int size : {16, 32}) {
            SCOPED_TRACE(::testing::Message() << "icon " << id << " at " << size << " px");
            HICON icon = static_cast<HICON>(
                LoadImageW(image.get(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(icon, nullptr) << "error " << GetLastError();
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bitmap = {};
            EXPECT_TRUE(GetObjectW(info.hbmColor, sizeof bitmap, &bitmap));
            EXPECT_EQ(bitmap.bmWidth, size);
            EXPECT_EQ(bitmap.bmHeight, size);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST_F(Resources, IdleAndFilteredImagesDiffer) {
    const auto idle = groupEntries(image.resource(RT_GROUP_ICON, MAKEINTRESOURCEW(kIdleIcon)));
    const auto filtered = groupEntries(image.resource(RT_GROUP_ICON, MAKEINTRESOURCEW(kFilteredIcon)));
    ASSERT_EQ(idle.size(), filtered.size());
    for (size_t i = 0; i < idle.size(); ++i) {
        EXPECT_NE(idle[i].id, filtered[i].id);
        const bool same = image.resource(RT_ICON, MAKEINTRESOURCEW(idle[i].id)) ==
                          image.resource(RT_ICON, MAKEINTRESOURCEW(filtered[i].id));
        EXPECT_FALSE(same) << "image " << i << " is the same in both groups";
    }
}

TEST_F(Resources, LargeIconsShowTheDrawing) {
    constexpr int size = 256;
    constexpr COLORREF tile = RGB(0x0D, 0x14, 0x1D);
    constexpr COLORREF disc = RGB(0x3F, 0x22, 0x2D);
    constexpr COLORREF squiggle = RGB(0xF8, 0xF4, 0xED);
    constexpr COLORREF stroke = RGB(0xF2, 0x50, 0x62);
    constexpr COLORREF crossStroke = RGB(0xEC, 0x37, 0x50);
    constexpr COLORREF green = RGB(0, 255, 0);
    constexpr COLORREF blue = RGB(0, 0, 255);

    for (WORD id : {kIdleIcon, kFilteredIcon}) {
        SCOPED_TRACE(::testing::Message() << "icon " << id);
        HICON icon = static_cast<HICON>(
            LoadImageW(image.get(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        const auto onGreen = renderIcon(icon, green, size);
        const auto onBlue = renderIcon(icon, blue, size);
        DestroyIcon(icon);

        // Rounded tile: the corners let the background through.
        for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
            EXPECT_TRUE(looksLike(onGreen, size, x, y, green, 2));
            EXPECT_TRUE(looksLike(onBlue, size, x, y, blue, 2));
        }
        for (const auto* pixels : {&onGreen, &onBlue}) {
            EXPECT_TRUE(looksLike(*pixels, size, 12, 128, tile));
            EXPECT_TRUE(looksLike(*pixels, size, 128, 12, tile));
            EXPECT_TRUE(looksLike(*pixels, size, 128, 60, disc));
            EXPECT_TRUE(looksLike(*pixels, size, 128, 205, disc));
            EXPECT_TRUE(looksLike(*pixels, size, 34, 150, squiggle));
            EXPECT_TRUE(looksLike(*pixels, size, 80, 80, stroke));
            EXPECT_TRUE(looksLike(*pixels, size, 176, 176, stroke));
            // Upper right to lower left: only the filtered icon has the second stroke.
            const COLORREF crossing = id == kFilteredIcon ? crossStroke : disc;
            EXPECT_TRUE(looksLike(*pixels, size, 176, 80, crossing, 16));
            EXPECT_TRUE(looksLike(*pixels, size, 80, 176, crossing, 16));
        }
    }
}

std::wstring versionString(const std::vector<BYTE>& record, const wchar_t* name) {
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), path.c_str(), &value, &length) || !value) return L"<missing>";
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

TEST_F(Resources, ExplorerShowsTheProgramsNameMakerAndVersion) {
    const std::wstring path = programPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> record(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, record.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(kVersion[1], kVersion[0]), low = MAKELONG(kVersion[3], kVersion[2]);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask & VS_FF_DEBUG, 0u);

    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(versionString(record, L"CompanyName"), L"Orrinvale");
    EXPECT_EQ(versionString(record, L"FileDescription"),
              L"Clearpane - a live view of your screen with annotation layers filtered out");
    EXPECT_EQ(versionString(record, L"FileVersion"), std::wstring(kVersionText.begin(), kVersionText.end()));
    EXPECT_EQ(versionString(record, L"InternalName"), L"Clearpane");
    EXPECT_EQ(versionString(record, L"LegalCopyright"), L"Copyright (C) 2026 Orrinvale");
    EXPECT_EQ(versionString(record, L"OriginalFilename"), L"Clearpane.exe");
    EXPECT_EQ(versionString(record, L"ProductName"), L"Clearpane");
    EXPECT_EQ(versionString(record, L"ProductVersion"), std::wstring(kVersionText.begin(), kVersionText.end()));
}

BOOL CALLBACK collectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

TEST_F(Resources, ManifestAsksForPerMonitorAwarenessAsInvoker) {
    // A second manifest (the toolchain's default one) would make the loader's
    // pick depend on the language: ours must be the only one.
    std::vector<ULONG_PTR> names;
    EnumResourceNamesW(image.get(), RT_MANIFEST, collectName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_EQ(names, std::vector<ULONG_PTR>{1});
    std::vector<WORD> languages;
    EnumResourceLanguagesW(image.get(), RT_MANIFEST, MAKEINTRESOURCEW(1), collectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages.size(), 1u);

    const auto bytes = image.resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(bytes.empty());
    const std::string text(bytes.begin(), bytes.end());
    for (const std::string& expected : std::vector<std::string>{
             "type=\"win32\"",
             "version=\"" + kVersionText + "\"",
             "processorArchitecture=\"*\"",
             "level=\"asInvoker\"",
             "uiAccess=\"false\"",
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
             "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
             "PerMonitorV2, PerMonitor</dpiAwareness>",
             "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
             "true</longPathAware>",
         }) {
        EXPECT_NE(text.find(expected), std::string::npos) << "manifest lacks " << expected;
    }
}

// The program file as the loader reads it: headers, sections, and where an
// address of the image lies in the file. A read past the end gives zeros.
class PeFile {
public:
    explicit PeFile(const std::wstring& path) {
        std::ifstream in(path.c_str(), std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const auto dos = read<IMAGE_DOS_HEADER>(0);
        nt = read<IMAGE_NT_HEADERS64>(dos.e_magic == IMAGE_DOS_SIGNATURE ? dos.e_lfanew : SIZE_MAX);
        const size_t at = dos.e_lfanew + sizeof nt - sizeof nt.OptionalHeader + nt.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i)
            sections.push_back(read<IMAGE_SECTION_HEADER>(at + i * sizeof(IMAGE_SECTION_HEADER)));
    }
    template <typename T>
    T read(size_t offset) const {
        T value{};
        if (offset <= bytes_.size() && sizeof value <= bytes_.size() - offset)
            std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;
    }
    std::string text(size_t offset) const {
        std::string text;
        for (; offset < bytes_.size() && bytes_[offset] != '\0'; ++offset) text += bytes_[offset];
        return text;
    }
    size_t offsetOf(DWORD rva) const {
        for (const auto& s : sections) {
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return SIZE_MAX;
    }
    // Whether the COFF symbol table has this name of over 8 characters (kept in its string table).
    bool hasLongSymbol(const std::string& name) const {
        const IMAGE_FILE_HEADER& file = nt.FileHeader;
        const size_t strings = file.PointerToSymbolTable + size_t{file.NumberOfSymbols} * IMAGE_SIZEOF_SYMBOL;
        const size_t end = file.PointerToSymbolTable != 0 ? strings + read<DWORD>(strings) : 0;
        for (size_t at = strings + sizeof(DWORD); at < end; at += text(at).size() + 1)
            if (text(at) == name) return true;
        return false;
    }

    IMAGE_NT_HEADERS64 nt{};
    std::vector<IMAGE_SECTION_HEADER> sections;

private:
    std::vector<char> bytes_;
};

// Adds the names of the DLLs in one import table, plain or delayed.
template <typename Entry>
void addImportedDlls(const PeFile& pe, int table, DWORD Entry::*name, std::vector<std::string>& dlls) {
    size_t at = pe.offsetOf(pe.nt.OptionalHeader.DataDirectory[table].VirtualAddress);
    for (Entry e; (e = pe.read<Entry>(at)).*name; at += sizeof e) dlls.push_back(pe.text(pe.offsetOf(e.*name)));
}

TEST_F(Resources, ProgramImportsOnlyKnownDlls) {
    const PeFile pe(programPath());
    ASSERT_TRUE(pe.nt.Signature == IMAGE_NT_SIGNATURE && pe.nt.OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_EQ(pe.nt.FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(pe.nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    std::vector<std::string> dlls;
    addImportedDlls(pe, IMAGE_DIRECTORY_ENTRY_IMPORT, &IMAGE_IMPORT_DESCRIPTOR::Name, dlls);
    addImportedDlls(pe, IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, &IMAGE_DELAYLOAD_DESCRIPTOR::DllNameRVA, dlls);
    ASSERT_FALSE(dlls.empty());

    // Windows 10's KnownDLLs: loaded from System32 whatever lies beside the
    // program. Any other DLL it looks for in the program's folder first.
    static const char* const knownDlls[] = {
        "advapi32.dll", "clbcatq.dll",  "combase.dll", "comdlg32.dll", "coml2.dll",    "difxapi.dll", "gdi32.dll",
        "gdiplus.dll",  "imagehlp.dll", "imm32.dll",   "kernel32.dll", "msctf.dll",    "msvcrt.dll",  "normaliz.dll",
        "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",   "sechost.dll", "setupapi.dll",
        "shcore.dll",   "shell32.dll",  "shlwapi.dll", "user32.dll",   "wldap32.dll",  "ws2_32.dll"};
    for (const auto& dll : dlls) {
        const bool known = std::any_of(std::begin(knownDlls), std::end(knownDlls),
                                       [&](const char* name) { return lstrcmpiA(dll.c_str(), name) == 0; });
        // API sets are names the loader maps by itself, never files it looks for.
        EXPECT_TRUE(known || lstrcmpiA(dll.substr(0, 11).c_str(), "api-ms-win-") == 0) << dll << " is not a KnownDLL";
    }
}

TEST_F(Resources, ProgramIsBuiltAgainstExploits) {
    const PeFile pe(programPath());
    const auto& optional = pe.nt.OptionalHeader;
    constexpr WORD aslrAndNx = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA |
                               IMAGE_DLLCHARACTERISTICS_NX_COMPAT;
    EXPECT_EQ(optional.DllCharacteristics & aslrAndNx, aslrAndNx) << std::hex << optional.DllCharacteristics;
    // Without relocations the loader cannot move the image, whatever the flags say.
    EXPECT_NE(optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u);
    for (const auto& s : pe.sections)
        EXPECT_FALSE((s.Characteristics & IMAGE_SCN_MEM_WRITE) && (s.Characteristics & IMAGE_SCN_MEM_EXECUTE))
            << std::string(reinterpret_cast<const char*>(s.Name), 8).c_str() << " is writable and executable";
    // The stack protector's canary and check: linked in only for code compiled to use them.
    for (const char* name : {"__stack_chk_guard", "__stack_chk_fail"}) EXPECT_TRUE(pe.hasLongSymbol(name)) << name;
}

}  // namespace
