// The handle holders and the point-size font.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "framework/handles.h"
#include "resource.h"

namespace {

TEST(PointFont, HeightIsTenthsOfAPointConvertedForTheScreen) {
    fw::Font font = fw::createPointFont(200, L"Courier New");
    ASSERT_TRUE(font);
    LOGFONTW lf{};
    ASSERT_EQ(::GetObjectW(font.get(), sizeof lf, &lf), static_cast<int>(sizeof lf));

    fw::WindowDC screen(nullptr);
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    EXPECT_EQ(lf.lfHeight, -::MulDiv(dpi, 200, 720));
    if (dpi == 96) {
        EXPECT_EQ(lf.lfHeight, -27);
    }
    EXPECT_STREQ(lf.lfFaceName, L"Courier New");
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(lf.lfWeight, 0);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfItalic, 0);
}

TEST(Holders, ReleaseTheirHandleOnceAndMoveIt) {
    HBRUSH raw = ::CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_EQ(::GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    {
        fw::Brush first(raw);
        fw::Brush second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        fw::Brush third;
        third = std::move(second);
        EXPECT_EQ(third.get(), raw);
        EXPECT_EQ(::GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(::GetObjectType(raw), 0u) << "deleted when the last holder went";

    fw::Menu menu = fw::loadMenu(IDR_TRAY_MENU);
    ASSERT_TRUE(menu);
    HMENU rawMenu = menu.get();
    menu.reset();
    EXPECT_FALSE(::IsMenu(rawMenu));

    fw::Icon icon = fw::loadIcon(IDR_MAINFRAME, 16, 16);
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
    BITMAP bm{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
}

TEST(Holders, SelectedObjectPutsThePreviousOneBackSoTheObjectCanBeDeleted) {
    fw::WindowDC screen(nullptr);
    fw::MemoryDC memory(::CreateCompatibleDC(screen.get()));
    ASSERT_TRUE(memory);
    fw::Bitmap bitmap(::CreateCompatibleBitmap(screen.get(), 4, 4));
    ASSERT_TRUE(bitmap);
    HGDIOBJ before = ::GetCurrentObject(memory.get(), OBJ_BITMAP);
    {
        fw::SelectedObject selected(memory.get(), bitmap.get());
        EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_BITMAP), before);
    HBITMAP raw = bitmap.get();
    bitmap.reset();
    EXPECT_EQ(::GetObjectType(raw), 0u);
}

}  // namespace
