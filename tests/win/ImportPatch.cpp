#include "win/ImportPatch.h"

#include <cstring>

ImportPatch::ImportPatch(const char* function, ULONG_PTR standIn) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name; ++module) {
        // The lookup table names the imports; the address table at the
        // same index holds the address that calls go through.
        auto* lookup = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* address = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; lookup->u1.AddressOfData; ++lookup, ++address) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)) continue;
            const auto* named = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + lookup->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) != 0) continue;
            slot_ = &address->u1.Function;
            saved_ = Store(standIn);
            return;
        }
    }
}

ImportPatch::~ImportPatch() {
    if (slot_) Store(saved_);
}

ImportPatch::Slot ImportPatch::Store(Slot value) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof(*slot_), PAGE_READWRITE, &protection);
    const Slot old = *slot_;
    *slot_ = value;
    VirtualProtect(slot_, sizeof(*slot_), protection, &protection);
    return old;
}
