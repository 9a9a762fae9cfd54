#include "mci_device.h"

#include <digitalv.h>

#include "sound_path.h"

namespace kiv {

namespace {

// The structured commands take their parameter record through a DWORD_PTR.
template <typename Parms>
MCIERROR send(MCIDEVICEID id, UINT message, DWORD flags, Parms& parms)
{
    return mciSendCommandW(id, message, flags, reinterpret_cast<DWORD_PTR>(&parms));
}

// Whether `path` names a playable file, and its full path in `file` (MAX_PATH units, the
// most the media player takes). Shares, pipes and devices are refused before any
// file-system call reaches them, and a file whose link leads elsewhere before it is read.
bool playableFile(const wchar_t* path, wchar_t (&file)[MAX_PATH])
{
    if (localSoundPathInto(path, file, MAX_PATH) == 0 || !leadsToLocalFile(file)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(file);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// While it lives, a removable drive without its medium fails the calls of this thread at
// once instead of asking the user to insert a disk (a message box on the program's
// thread, in the middle of a rest).
class QuietDriveErrors {
public:
    QuietDriveErrors() : m_set(SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_previous) != FALSE) {}
    ~QuietDriveErrors()
    {
        if (m_set) {
            SetThreadErrorMode(m_previous, nullptr);
        }
    }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD m_previous = 0;
    bool m_set;
};

}  // namespace

bool MciDevice::open(const wchar_t* path)
{
    close();
    const QuietDriveErrors quiet;
    wchar_t file[MAX_PATH] = {};
    if (!playableFile(path, file)) {
        return false;
    }
    MCI_OPEN_PARMSW openParms = {};
    openParms.lpstrDeviceType = L"mpegvideo";
    openParms.lpstrElementName = file;
    if (send(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT, openParms) != 0) {
        return false;
    }
    m_id = openParms.wDeviceID;
    // Positions in milliseconds, whatever the device's default.
    MCI_SET_PARMS setParms = {};
    setParms.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    send(m_id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, setParms);
    return true;
}

void MciDevice::close()
{
    if (m_id == 0) {
        return;
    }
    MCI_GENERIC_PARMS parms = {};
    send(m_id, MCI_STOP, MCI_WAIT, parms);
    send(m_id, MCI_CLOSE, MCI_WAIT, parms);
    m_id = 0;
}

DWORD MciDevice::mode() const
{
    if (m_id == 0) {
        return 0;
    }
    MCI_STATUS_PARMS parms = {};
    parms.dwItem = MCI_STATUS_MODE;
    if (send(m_id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, parms) != 0) {
        return 0;
    }
    return static_cast<DWORD>(parms.dwReturn);
}

bool MciDevice::play(bool repeat)
{
    if (m_id == 0) {
        return false;
    }
    // No MCI_WAIT: the call returns at once and the device plays on by itself.
    MCI_DGV_PLAY_PARMS parms = {};
    parms.dwFrom = 0;
    const DWORD flags = MCI_FROM | (repeat ? MCI_DGV_PLAY_REPEAT : 0);
    return send(m_id, MCI_PLAY, flags, parms) == 0;
}

bool MciDevice::stop()
{
    if (m_id == 0) {
        return true;
    }
    MCI_GENERIC_PARMS parms = {};
    return send(m_id, MCI_STOP, MCI_WAIT, parms) == 0;
}

}  // namespace kiv
