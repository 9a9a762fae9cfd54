// One opened MCI "mpegvideo" device, closed when the holder goes.
#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace kiv {

class MciDevice {
public:
    MciDevice() = default;
    ~MciDevice() { close(); }
    MciDevice(const MciDevice&) = delete;
    MciDevice& operator=(const MciDevice&) = delete;

    // Opens the file at `path`, closing any earlier one. Only a local file path
    // (localSoundPath) of an existing file that is not a directory opens: shares, pipes,
    // URLs, device names and empty text are not sound files.
    // The path travels only as the element name of the structured open call, never as
    // command text, so quotes or MCI words in it cannot become commands.
    bool open(const wchar_t* path);
    void close();

    bool isOpened() const { return m_id != 0; }
    MCIDEVICEID id() const { return m_id; }
    // MCI_MODE_... of the device, 0 when nothing is open or the query fails.
    DWORD mode() const;

    // Plays from the start without waiting; `repeat` loops until stop().
    bool play(bool repeat);
    bool stop();

private:
    MCIDEVICEID m_id = 0;
};

}  // namespace kiv
