// The component's one implementation of ISound: one MCI device per instance.
#pragma once

#include "isound.h"
#include "mci_device.h"

namespace kiv {

class Sound final : public ISound {
public:
    UINT __stdcall DeviceId() override;
    DWORD __stdcall Mode() override;
    void __stdcall Release() override;
    BOOL __stdcall Open(const wchar_t* path) override;
    BOOL __stdcall Stop() override;
    BOOL __stdcall Play(int loop) override;

private:
    ~Sound() = default;
    MciDevice m_device;
};

}  // namespace kiv
