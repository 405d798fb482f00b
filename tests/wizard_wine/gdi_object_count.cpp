#include "tests/wizard_wine/gdi_object_count.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace halvorn::testing {

namespace {

std::atomic<long> g_created{0};
std::atomic<long> g_deleted{0};

template <typename Handle>
Handle Counted(Handle handle) {
    if (handle != nullptr) {
        ++g_created;
    }
    return handle;
}

BOOL Counted(BOOL deleted) {
    if (deleted) {
        ++g_deleted;
    }
    return deleted;
}

// The functions themselves, as the import slots held them before the counters went in; calling
// them by name here would go through the rerouted slots again.
decltype(&CreateSolidBrush) g_createSolidBrush;
decltype(&CreateCompatibleDC) g_createCompatibleDC;
decltype(&CreateCompatibleBitmap) g_createCompatibleBitmap;
decltype(&CreateDIBSection) g_createDIBSection;
decltype(&CreateFontIndirectW) g_createFontIndirectW;
decltype(&DeleteObject) g_deleteObject;
decltype(&DeleteDC) g_deleteDC;

HBRUSH WINAPI CountedCreateSolidBrush(COLORREF colour) { return Counted(g_createSolidBrush(colour)); }
HDC WINAPI CountedCreateCompatibleDC(HDC dc) { return Counted(g_createCompatibleDC(dc)); }
HBITMAP WINAPI CountedCreateCompatibleBitmap(HDC dc, int width, int height) {
    return Counted(g_createCompatibleBitmap(dc, width, height));
}
HBITMAP WINAPI CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                       DWORD offset) {
    return Counted(g_createDIBSection(dc, info, usage, bits, section, offset));
}
HFONT WINAPI CountedCreateFontIndirectW(const LOGFONTW* font) { return Counted(g_createFontIndirectW(font)); }
BOOL WINAPI CountedDeleteObject(HGDIOBJ object) { return Counted(g_deleteObject(object)); }
BOOL WINAPI CountedDeleteDC(HDC dc) { return Counted(g_deleteDC(dc)); }

struct Hook {
    const char* name;
    void* counted;
    void** original;
};

template <typename Function>
Hook MakeHook(const char* name, Function counted, Function& original) {
    return {name, reinterpret_cast<void*>(counted), reinterpret_cast<void**>(&original)};
}

const Hook g_hooks[] = {
    MakeHook("CreateSolidBrush", &CountedCreateSolidBrush, g_createSolidBrush),
    MakeHook("CreateCompatibleDC", &CountedCreateCompatibleDC, g_createCompatibleDC),
    MakeHook("CreateCompatibleBitmap", &CountedCreateCompatibleBitmap, g_createCompatibleBitmap),
    MakeHook("CreateDIBSection", &CountedCreateDIBSection, g_createDIBSection),
    MakeHook("CreateFontIndirectW", &CountedCreateFontIndirectW, g_createFontIndirectW),
    MakeHook("DeleteObject", &CountedDeleteObject, g_deleteObject),
    MakeHook("DeleteDC", &CountedDeleteDC, g_deleteDC),
};

void WriteSlot(void** slot, void* value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

// Points this program's import slots for GDI32's functions at the counters, or back (install false).
void Reroute(bool install) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name != 0;
         ++dll) {
        if (_stricmp(reinterpret_cast<const char*>(base + dll->Name), "gdi32.dll") != 0) {
            continue;
        }
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            for (const Hook& hook : g_hooks) {
                if (std::strcmp(name, hook.name) != 0) {
                    continue;
                }
                auto** slot = reinterpret_cast<void**>(&slots->u1.Function);
                if (install) {
                    *hook.original = *slot;
                    WriteSlot(slot, hook.counted);
                } else {
                    WriteSlot(slot, *hook.original);
                }
            }
        }
    }
}

}  // namespace

GdiObjectCount::GdiObjectCount() {
    g_created = 0;
    g_deleted = 0;
    Reroute(true);
}

GdiObjectCount::~GdiObjectCount() { Reroute(false); }

long GdiObjectCount::Created() const { return g_created; }

long GdiObjectCount::Held() const { return g_created - g_deleted; }

}  // namespace halvorn::testing
