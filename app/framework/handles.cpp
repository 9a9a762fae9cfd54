#include "framework/handles.h"

#include <cwchar>

#include "framework/resources.h"

namespace fw {

Font createPointFont(int pointSizeTenths, const wchar_t* face, HDC dc) {
    if (!dc) {
        WindowDC screen(nullptr);
        return createPointFont(pointSizeTenths, face, screen.get());
    }
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(::GetDeviceCaps(dc, LOGPIXELSY), pointSizeTenths, 720);
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face) wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return Font(::CreateFontIndirectW(&lf));
}

Icon loadIcon(UINT id, int width, int height) {
    if (width == 0) width = ::GetSystemMetrics(SM_CXICON);
    if (height == 0) height = ::GetSystemMetrics(SM_CYICON);
    return Icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                IMAGE_ICON, width, height, 0)));
}

Menu loadMenu(UINT id) {
    const void* resource = resourceData(RT_MENU, id);
    return Menu(resource ? ::LoadMenuIndirectW(resource) : nullptr);
}

}  // namespace fw
