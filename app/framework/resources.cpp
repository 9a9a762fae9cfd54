#include "framework/resources.h"

namespace fw {
namespace {

LANGID g_language = kChineseResources;

HRSRC findIn(LPCWSTR type, UINT id, LANGID language) {
    return ::FindResourceExW(::GetModuleHandleW(nullptr), type, MAKEINTRESOURCEW(id), language);
}

// Entry `index` of a string-table block: sixteen strings, each a length and its units.
std::wstring blockEntry(const WCHAR* block, DWORD size, UINT index) {
    const WCHAR* at = block;
    const WCHAR* end = block + size / sizeof(WCHAR);
    for (UINT i = 0; i < index && at < end; ++i) at += 1 + *at;
    if (at >= end || at + 1 + *at > end) return std::wstring();
    return std::wstring(at + 1, *at);
}

// Steps over a menu or class field of a dialog template: none, an ordinal or a string.
const WORD* skipNameOrOrdinal(const WORD* at) {
    if (*at == 0) return at + 1;
    if (*at == 0xFFFF) return at + 2;
    while (*at) ++at;
    return at + 1;
}

}  // namespace

void setResourceLanguage(LANGID language) { g_language = language; }

LANGID resourceLanguage() { return g_language; }

HRSRC findResource(LPCWSTR type, UINT id, LANGID language) {
    HRSRC found = findIn(type, id, language);
    return found ? found : findIn(type, id, kChineseResources);
}

const void* resourceData(LPCWSTR type, UINT id, LANGID language) {
    HRSRC info = findResource(type, id, language);
    if (!info) return nullptr;
    return ::LockResource(::LoadResource(::GetModuleHandleW(nullptr), info));
}

std::wstring loadString(UINT id, LANGID language) {
    // Strings are stored sixteen to a block; block n holds the ids 16 * (n - 1) onwards.
    const UINT block = id / 16 + 1;
    for (LANGID lang : {language, kChineseResources}) {
        HRSRC info = findIn(RT_STRING, block, lang);
        if (!info) continue;
        const auto* data = static_cast<const WCHAR*>(::LockResource(::LoadResource(::GetModuleHandleW(nullptr), info)));
        if (!data) continue;
        std::wstring text = blockEntry(data, ::SizeofResource(::GetModuleHandleW(nullptr), info), id % 16);
        if (!text.empty()) return text;
    }
    return std::wstring();
}

const DLGTEMPLATE* dialogTemplate(UINT id, LANGID language) {
    return static_cast<const DLGTEMPLATE*>(resourceData(RT_DIALOG, id, language));
}

std::wstring dialogCaption(UINT id, LANGID language) {
    const auto* words = reinterpret_cast<const WORD*>(dialogTemplate(id, language));
    // Version 1 and the 0xFFFF signature, help id, styles, item count and rectangle.
    if (!words || words[0] != 1 || words[1] != 0xFFFF) return std::wstring();
    const WORD* at = words + 2 + 6 + 1 + 4;
    at = skipNameOrOrdinal(skipNameOrOrdinal(at));
    return reinterpret_cast<const wchar_t*>(at);
}

}  // namespace fw
