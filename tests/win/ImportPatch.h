// Points this program's import of a system function at a stand-in for as
// long as it lives: the way to make a call fail, or answer, on cue where the
// real system cannot be brought to do so. The program's libraries are linked
// into the test executable, so every call from its code goes through the
// executable's import table, the code under test included (and so does the
// test's own code while the patch lives).
#pragma once

#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* function, ULONG_PTR standIn);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Active() const { return slot_ != nullptr; }

    // The address the import held before: the real function, for a stand-in
    // that passes calls on. 0 when the import was not found.
    ULONG_PTR Original() const { return static_cast<ULONG_PTR>(saved_); }

private:
    using Slot = decltype(IMAGE_THUNK_DATA{}.u1.Function);

    Slot Store(Slot value);

    Slot* slot_ = nullptr;
    Slot saved_ = 0;
};
