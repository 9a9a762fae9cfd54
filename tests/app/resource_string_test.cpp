// Texts from the string table and their numbered places.
#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <string>

#include "framework/resource_string.h"
#include "resource.h"

namespace {

TEST(FormatString, FillsEachNumberedPlaceWithItsArgument) {
    const struct {
        const wchar_t* pattern;
        std::initializer_list<std::wstring> args;
        const wchar_t* result;
    } rows[] = {
        {L"休息中 %1", {L"4 minutes,59 seconds"}, L"休息中 4 minutes,59 seconds"},
        {L"请回答：%1 × %2 = ?", {L"12", L"34"}, L"请回答：12 × 34 = ?"},
        {L"%2 before %1", {L"a", L"b"}, L"b before a"},
        {L"%1%1", {L"ab"}, L"abab"},
        {L"%3 has no argument", {L"a"}, L"%3 has no argument"},
        {L"%0 is no place, nor %x, nor a last %", {L"a"}, L"%0 is no place, nor %x, nor a last %"},
        {L"%%1", {L"x"}, L"%x"},
        {L"an argument holding %2", {}, L"an argument holding %2"},
        {L"%1", {L"%2"}, L"%2"},  // an argument is not filled in again
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fw::formatString(row.pattern, row.args), row.result) << testing::PrintToString(row.pattern);
    }
}

TEST(LoadString, ReadsTheStringTableAndGivesNothingForAMissingId) {
    EXPECT_EQ(fw::loadString(IDS_REST_TITLE), L"休息中 %1");
    EXPECT_EQ(fw::loadString(IDS_ABOUTBOX), L"关于 kivTool(&A)...");
    EXPECT_EQ(fw::loadString(9999), L"");
}

}  // namespace
