// Moving values between a dialog's controls and its members, with validation.
//
// A dialog's DoDataExchange lists its fields in order:
//
//     dx.unsignedValue(IDC_EDIT_WORKTIME, m_workMinutes).rangeCheck(1, 1000000)
//       .checkBox(IDC_CHECK_FULLSCREEN, m_restAtFullScreen);
//
// When loading, the members are written into the controls. When saving, the controls are
// read back and checked; the first failure shows the framework's message, puts the focus on
// the offending edit box with its whole text selected, and makes every later step a no-op.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace fw {

class DataExchange {
public:
    DataExchange(HWND dialog, bool saveAndValidate) : m_dialog(dialog), m_save(saveAndValidate) {}

    bool hasFailed() const { return m_failed; }

    // Edit text <-> string.
    DataExchange& text(int id, std::wstring& value);
    // Edit text <-> unsigned number ("%u" when writing; see parseUnsignedText for reading).
    DataExchange& unsignedValue(int id, std::uint32_t& value);
    // When saving: the number read by the last unsignedValue must lie in [min, max].
    DataExchange& rangeCheck(std::uint32_t min, std::uint32_t max);
    // Check box <-> 0 (clear), 1 (checked), 2 (indeterminate); other values load as clear.
    DataExchange& checkBox(int id, int& value);
    // Radio group starting at `firstId` <-> position of the checked button in the group,
    // -1 when none is checked. Only radio buttons count; the group ends at the next
    // control with WS_GROUP.
    DataExchange& radioGroup(int firstId, int& value);

private:
    void fail(const std::wstring& message);

    HWND m_dialog;
    bool m_save;
    bool m_failed = false;
    int m_lastEditId = 0;
    std::uint32_t m_lastUnsigned = 0;
};

}  // namespace fw
