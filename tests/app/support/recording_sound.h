// A sound component that only records: each call as text, "Open:<path>", "Play:<loop>",
// "Stop", "Release". Release only records, since the fake lives on the test's stack and
// the test looks at it after the holder has let it go.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "isound.h"

namespace test {

class RecordingSound : public ISound {
public:
    UINT __stdcall DeviceId() override { return 0; }
    DWORD __stdcall Mode() override { return 0; }
    void __stdcall Release() override { calls.push_back(L"Release"); }
    BOOL __stdcall Open(const wchar_t* path) override {
        calls.push_back(std::wstring(L"Open:") + (path ? path : L"(null)"));
        return TRUE;
    }
    BOOL __stdcall Stop() override {
        calls.push_back(L"Stop");
        return TRUE;
    }
    BOOL __stdcall Play(int loop) override {
        calls.push_back(L"Play:" + std::to_wstring(loop));
        return TRUE;
    }

    // How many recorded calls start with `prefix` ("Release", "Open:", ...).
    int count(const std::wstring& prefix) const {
        int n = 0;
        for (const std::wstring& call : calls) n += call.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

    std::vector<std::wstring> calls;
};

}  // namespace test
