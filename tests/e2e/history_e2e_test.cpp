// The history window of the real program: after a short rest, the menu command opens it
// and its list (the hidden label 1000, the same text the window draws) shows that rest.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

const int kCommandHistory = 32780;
const int kHistoryList = 1000;
const wchar_t kHistoryTitle[] = L"休息记录";

}  // namespace

TEST(HistoryE2E, ARestShowsInTheHistoryWindowOpenedFromTheMenu) {
    const unsigned work = 3, rest = 2;
    KivTool app({work, rest, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    HWND restWindow = nullptr;
    ASSERT_TRUE(waitFor([&] { return (restWindow = app.restWindow()) != nullptr; }, (work + 8) * 1000));
    ASSERT_TRUE(waitFor([&] { return !::IsWindow(restWindow); }, (rest + 5) * 1000)) << "the rest does not end";

    ASSERT_TRUE(app.command(kCommandHistory));
    HWND history = nullptr;
    ASSERT_TRUE(waitFor([&] { return (history = app.windowTitled(kHistoryTitle)) != nullptr; }, 5000));
    EXPECT_TRUE(::IsWindowVisible(history));
    const std::wstring list = itemText(history, kHistoryList);
    EXPECT_NE(list.find(L"计划2秒  实际2秒  到时结束"), std::wstring::npos) << narrow(list);
    EXPECT_NE(list.find(L"共1次休息"), std::wstring::npos) << narrow(list);

    // A second command brings the same window forward instead of opening another.
    ASSERT_TRUE(app.command(kCommandHistory));
    ::Sleep(500);
    EXPECT_EQ(app.countWindowsTitled(kHistoryTitle), 1);

    ASSERT_TRUE(app.command(kCommandExit));
    EXPECT_TRUE(app.waitForExit(10000));
}
