#include "sound_holder.h"

#include "dll_search.h"
#include "kiv/path_kiv.h"

SoundHolder g_pSound;

namespace {

// Loads the DLL at a full path looking for its own imports (winmm) in the system folder
// only: its folder is the program's, where a planted winmm.dll may lie. Systems without the
// restricted search flags (no KB2533623) reject them with ERROR_INVALID_PARAMETER; the
// altered search there starts at the DLL's own folder, so winmm is loaded from the system
// folder first and the component's import finds it loaded.
HMODULE loadByFullPath(const std::wstring& path)
{
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        HMODULE winmm = dlls::loadSystemLibrary(L"winmm.dll");
        module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (winmm != nullptr) {
            FreeLibrary(winmm);  // the component holds its own reference
        }
    }
    return module;
}

bool isFullDirectory(const std::wstring& directory)
{
    const bool drive = directory.size() >= 3 && directory[1] == L':' &&
                       (directory[2] == L'\\' || directory[2] == L'/');
    const bool unc = directory.size() >= 3 && directory[0] == L'\\' && directory[1] == L'\\';
    return drive || unc;
}

}  // namespace

std::wstring programDirectory()
{
    // The same whole module path as everywhere else in the program, however long.
    const std::wstring path = kiv::getModuleFileName().c_wstr();
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return std::wstring();
    }
    return path.substr(0, slash + 1);
}

bool SoundHolder::create()
{
    return createFrom(programDirectory());
}

bool SoundHolder::createFrom(const std::wstring& directory)
{
    reset();
    // A relative directory would make the load depend on the current directory again.
    if (!isFullDirectory(directory)) {
        return false;
    }
    std::wstring path = directory;
    if (path.back() != L'\\' && path.back() != L'/') {
        path += L'\\';
    }
    path += KIV_SOUND_LIBRARY_NAME;

    HMODULE library = loadByFullPath(path);
    if (library == nullptr) {
        return false;
    }
    const auto factory =
        reinterpret_cast<KivICreateInstanceFn>(reinterpret_cast<void*>(GetProcAddress(library, KIV_SOUND_FACTORY_NAME)));
    void* object = nullptr;
    if (factory == nullptr || !factory(L"kivsound", L"1", nullptr, L"ISound", &object) || object == nullptr) {
        FreeLibrary(library);
        return false;
    }
    m_sound = static_cast<ISound*>(object);
    m_library = library;
    return true;
}

void SoundHolder::reset()
{
    if (m_sound != nullptr) {
        m_sound->Release();
        m_sound = nullptr;
    }
    if (m_library != nullptr) {
        FreeLibrary(m_library);
        m_library = nullptr;
    }
}

void SoundHolder::reset(ISound* sound)
{
    reset();
    m_sound = sound;
}
