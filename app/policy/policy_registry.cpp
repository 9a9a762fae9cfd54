// The policies' registry reader: the real one, or a test's.
#include <windows.h>

#include <vector>

#include "framework/handles.h"
#include "policy/policies.h"

namespace policy {
namespace {

// A text policy longer than this is not one of ours.
constexpr DWORD kMaxTextBytes = 8192;

const wchar_t* wide(const char16_t* text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 on Windows");
    return reinterpret_cast<const wchar_t*>(text);
}

RegistryValue readFromRegistry(Hive hive, const char16_t* valueName) {
    RegistryValue result;
    HKEY opened = nullptr;
    // The 64-bit view: Group Policy writes there, and a 32-bit program would otherwise be
    // sent to WOW6432Node on 64-bit Windows. A 32-bit Windows ignores the flag.
    if (::RegOpenKeyExW(hive == Hive::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, wide(kPolicyKey), 0,
                        KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return result;
    const fw::RegistryKey key(opened);
    DWORD type = 0;
    DWORD size = 0;
    const LONG status = ::RegQueryValueExW(key.get(), wide(valueName), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return result;
    result.kind = RegistryValue::Other;
    if (status != ERROR_SUCCESS) return result;
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        if (::RegQueryValueExW(key.get(), wide(valueName), nullptr, &type, reinterpret_cast<BYTE*>(&number),
                               &size) == ERROR_SUCCESS &&
            type == REG_DWORD) {
            result.kind = RegistryValue::Dword;
            result.number = number;
        }
    } else if (type == REG_SZ && size <= kMaxTextBytes) {
        // One unit more than asked for: the stored value may lack its terminator.
        std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(key.get(), wide(valueName), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                               &size) == ERROR_SUCCESS &&
            type == REG_SZ) {
            result.kind = RegistryValue::Text;
            result.text = kiv::String(text.data());  // up to the first terminator
        }
    }
    return result;
}

RegistryReader g_reader = readFromRegistry;

}  // namespace

RegistryReader setRegistryReader(RegistryReader reader) {
    const RegistryReader previous = g_reader;
    g_reader = reader ? reader : readFromRegistry;
    return previous;
}

RegistryValue readRegistryValue(Hive hive, const char16_t* valueName) { return g_reader(hive, valueName); }

}  // namespace policy
