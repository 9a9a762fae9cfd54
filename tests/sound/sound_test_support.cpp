#include "sound_test_support.h"

#include <mmsystem.h>

#include "sound_holder.h"

namespace kivtest {

std::wstring testDirectory()
{
    return programDirectory();
}

std::wstring soundPath(const wchar_t* name)
{
    return testDirectory() + L"resource\\" + name;
}

std::wstring componentDirectory()
{
    return testDirectory() + L"component\\";
}

TempDir::TempDir()
{
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
        std::wstring candidate = std::wstring(base) + L"kivsound-" + std::to_wstring(n);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            m_path = candidate + L"\\";
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return;  // m_path stays empty; the tests check it
        }
    }
}

TempDir::~TempDir()
{
    if (m_path.empty()) {
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW((m_path + found.cFileName).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(m_path.c_str());
}

bool TempDir::copyIn(const std::wstring& from, const std::wstring& name) const
{
    return !m_path.empty() && CopyFileW(from.c_str(), (m_path + name).c_str(), FALSE);
}

CurrentDirectory::CurrentDirectory(const std::wstring& path)
{
    wchar_t saved[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    m_saved = saved;
    SetCurrentDirectoryW(path.c_str());
}

CurrentDirectory::~CurrentDirectory()
{
    SetCurrentDirectoryW(m_saved.c_str());
}

std::wstring modulePath(HMODULE module)
{
    if (module == nullptr) {
        return std::wstring();
    }
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(20);
    }
}

DWORD mciMode(UINT device)
{
    MCI_STATUS_PARMS parms = {};
    parms.dwItem = MCI_STATUS_MODE;
    if (mciSendCommandW(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms)) != 0) {
        return 0;
    }
    return static_cast<DWORD>(parms.dwReturn);
}

long mciPosition(UINT device)
{
    MCI_STATUS_PARMS parms = {};
    parms.dwItem = MCI_STATUS_POSITION;
    if (mciSendCommandW(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms)) != 0) {
        return -1;
    }
    return static_cast<long>(parms.dwReturn);
}

int openMciDevices()
{
    DWORD count = 0;
    MCI_SYSINFO_PARMSW parms = {};
    parms.lpstrReturn = reinterpret_cast<LPWSTR>(&count);
    parms.dwRetSize = sizeof(count);
    if (mciSendCommandW(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN,
                        reinterpret_cast<DWORD_PTR>(&parms)) != 0) {
        return -1;
    }
    return static_cast<int>(count);
}

bool plantedWasLoaded()
{
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(L"KIV_PLANTED_LOADED", value, 8) != 0;
}

void forgetPlantedLoad()
{
    SetEnvironmentVariableW(L"KIV_PLANTED_LOADED", nullptr);
}

}  // namespace kivtest
