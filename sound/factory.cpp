// The component's one export: the factory the program finds by name.
#include <cwchar>
#include <new>
#include <type_traits>

#include "sound.h"

namespace {

bool same(const wchar_t* text, const wchar_t* expected)
{
    return text != nullptr && std::wcscmp(text, expected) == 0;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL __cdecl kivICreateInstance(const wchar_t* component, const wchar_t* version,
                                                                 void* outer, const wchar_t* interfaceName,
                                                                 void** object)
{
    if (object == nullptr) {
        return FALSE;
    }
    *object = nullptr;
    // Exact names only: another version or interface would have another virtual table.
    if (!same(component, L"kivsound") || !same(version, L"1") || outer != nullptr ||
        !same(interfaceName, L"ISound")) {
        return FALSE;
    }
    ISound* sound = new (std::nothrow) kiv::Sound;
    if (sound == nullptr) {
        return FALSE;
    }
    *object = sound;
    return TRUE;
}

// Make sure the declaration in the shared header matches what is exported.
static_assert(std::is_same<decltype(&kivICreateInstance), KivICreateInstanceFn>::value,
              "the export must match the type the program calls through");
