#include "framework/data_exchange.h"

#include "framework/framework_ids.h"
#include "framework/message_box.h"
#include "framework/resource_string.h"
#include "framework/unsigned_text.h"
#include "framework/window_text.h"

namespace fw {
DataExchange& DataExchange::text(int id, std::wstring& value) {
    if (m_failed) return *this;
    m_lastEditId = id;
    if (m_save)
        value = windowText(::GetDlgItem(m_dialog, id));
    else
        ::SetDlgItemTextW(m_dialog, id, value.c_str());
    return *this;
}

DataExchange& DataExchange::unsignedValue(int id, std::uint32_t& value) {
    if (m_failed) return *this;
    m_lastEditId = id;
    if (!m_save) {
        ::SetDlgItemTextW(m_dialog, id, unsignedText(value).c_str());
        m_lastUnsigned = value;
        return *this;
    }
    std::uint32_t read = 0;
    if (!parseUnsignedText(windowText(::GetDlgItem(m_dialog, id)), read)) {
        fail(loadString(IDS_FW_PARSE_UNSIGNED));
        return *this;
    }
    value = read;
    m_lastUnsigned = read;
    return *this;
}

DataExchange& DataExchange::rangeCheck(std::uint32_t min, std::uint32_t max) {
    if (m_failed || !m_save) return *this;
    if (m_lastUnsigned < min || m_lastUnsigned > max) {
        fail(formatString(loadString(IDS_FW_PARSE_RANGE), {unsignedText(min), unsignedText(max)}));
    }
    return *this;
}

DataExchange& DataExchange::checkBox(int id, int& value) {
    if (m_failed) return *this;
    HWND box = ::GetDlgItem(m_dialog, id);
    if (m_save) {
        value = static_cast<int>(::SendMessageW(box, BM_GETCHECK, 0, 0));
    } else {
        const int state = (value >= 0 && value <= 2) ? value : 0;
        ::SendMessageW(box, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    }
    return *this;
}

DataExchange& DataExchange::radioGroup(int firstId, int& value) {
    if (m_failed) return *this;
    if (m_save) value = -1;
    int position = 0;
    HWND first = ::GetDlgItem(m_dialog, firstId);
    for (HWND button = first; button;) {
        if (::SendMessageW(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (m_save) {
                if (::SendMessageW(button, BM_GETCHECK, 0, 0) != BST_UNCHECKED) value = position;
            } else {
                ::SendMessageW(button, BM_SETCHECK, position == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++position;
        }
        button = ::GetWindow(button, GW_HWNDNEXT);
        if (button && (::GetWindowLongW(button, GWL_STYLE) & WS_GROUP)) break;
    }
    // A radio button takes the tab stop when checked and loses it when unchecked; with none
    // checked the first keeps it, or Tab would pass the whole group by.
    if (!m_save && first && (value < 0 || value >= position))
        ::SetWindowLongW(first, GWL_STYLE, ::GetWindowLongW(first, GWL_STYLE) | WS_TABSTOP);
    return *this;
}

void DataExchange::fail(const std::wstring& message) {
    m_failed = true;
    showMessageBox(m_dialog, message, MB_OK | MB_ICONEXCLAMATION);
    if (HWND edit = ::GetDlgItem(m_dialog, m_lastEditId)) {
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
    }
}

}  // namespace fw
