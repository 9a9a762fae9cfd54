#include "hold/capture_sessions.h"

#include <initguid.h>  // the audio interfaces' GUIDs, defined in this file only
#include <audiopolicy.h>
#include <mmdeviceapi.h>

namespace hold {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (m_p) m_p->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    T** put() { return &m_p; }
    void** putVoid() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};

bool sessionOfOtherIsActive(IAudioSessionControl* session, DWORD self) {
    AudioSessionState state = AudioSessionStateInactive;
    if (FAILED(session->GetState(&state)) || state != AudioSessionStateActive) return false;
    ComRef<IAudioSessionControl2> control;
    if (FAILED(session->QueryInterface(__uuidof(IAudioSessionControl2), control.putVoid()))) return false;
    DWORD pid = 0;
    // The system's own sounds session has no process of its own.
    if (FAILED(control->GetProcessId(&pid)) || pid == 0 || pid == self) return false;
    return control->IsSystemSoundsSession() != S_OK;
}

bool endpointCaptures(IMMDevice* device, DWORD self) {
    ComRef<IAudioSessionManager2> manager;
    if (FAILED(device->Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr, manager.putVoid()))) return false;
    ComRef<IAudioSessionEnumerator> sessions;
    int count = 0;
    if (FAILED(manager->GetSessionEnumerator(sessions.put())) || FAILED(sessions->GetCount(&count))) return false;
    for (int i = 0; i < count; ++i) {
        ComRef<IAudioSessionControl> session;
        if (SUCCEEDED(sessions->GetSession(i, session.put())) && sessionOfOtherIsActive(session.get(), self))
            return true;
    }
    return false;
}

bool anyEndpointCaptures(DWORD self) {
    ComRef<IMMDeviceEnumerator> enumerator;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                  __uuidof(IMMDeviceEnumerator), enumerator.putVoid())))
        return false;
    ComRef<IMMDeviceCollection> devices;
    UINT count = 0;
    if (FAILED(enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, devices.put())) ||
        FAILED(devices->GetCount(&count)))
        return false;
    for (UINT i = 0; i < count; ++i) {
        ComRef<IMMDevice> device;
        if (SUCCEEDED(devices->Item(i, device.put())) && endpointCaptures(device.get(), self)) return true;
    }
    return false;
}

}  // namespace

bool otherProcessCaptures(DWORD self) {
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool captures = anyEndpointCaptures(self);
    if (SUCCEEDED(initialised)) ::CoUninitialize();  // S_FALSE too: every success is paired
    return captures;
}

}  // namespace hold
