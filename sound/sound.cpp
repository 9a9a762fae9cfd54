#include "sound.h"

namespace kiv {

UINT __stdcall Sound::DeviceId()
{
    return m_device.id();
}

DWORD __stdcall Sound::Mode()
{
    return m_device.mode();
}

void __stdcall Sound::Release()
{
    delete this;  // the device closes with it
}

BOOL __stdcall Sound::Open(const wchar_t* path)
{
    return m_device.open(path);
}

BOOL __stdcall Sound::Stop()
{
    return m_device.stop();
}

BOOL __stdcall Sound::Play(int loop)
{
    return m_device.play(loop != 0);
}

}  // namespace kiv
