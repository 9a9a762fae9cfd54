// The program's resources in one language. The resources hold every text in the stated
// Chinese (2052) and in English (1033); which set the windows show is chosen once at
// start-up. Dialogs, menus and strings are found here by language, never by the thread's
// UI language, because FindResource and DialogBoxParam pick by that and Wine does not let
// a program change it.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

constexpr LANGID kChineseResources = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052
constexpr LANGID kEnglishResources = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);          // 1033

// The language of the resources shown from now on; the Chinese set until it is set.
void setResourceLanguage(LANGID language);
LANGID resourceLanguage();

// Resource `id` of `type` in the program's resources in `language`; the Chinese one when
// that language has none. Null when neither exists.
HRSRC findResource(LPCWSTR type, UINT id, LANGID language = resourceLanguage());
// Its bytes, which live as long as the program; null when it does not exist.
const void* resourceData(LPCWSTR type, UINT id, LANGID language = resourceLanguage());

// String `id` of the string table in `language` (Chinese when that language lacks it);
// empty when neither has it.
std::wstring loadString(UINT id, LANGID language = resourceLanguage());

// The template of dialog `id`, for CreateDialogIndirectParam and friends.
const DLGTEMPLATE* dialogTemplate(UINT id, LANGID language = resourceLanguage());

// The caption in the template of dialog `id` (an extended template, as the resource
// compiler writes DIALOGEX); empty when there is none.
std::wstring dialogCaption(UINT id, LANGID language);

}  // namespace fw
