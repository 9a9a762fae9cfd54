#include "sound_holder.h"

SoundHolder g_pSound;

namespace {

// Loads the DLL at a full path looking for its own imports only beside it and in the
// system directory. Systems without the restricted search flags (no KB2533623) reject
// them with ERROR_INVALID_PARAMETER; the altered search path still starts at the DLL's
// own directory there.
HMODULE loadByFullPath(const std::wstring& path)
{
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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
    // The module path can be longer than MAX_PATH; grow until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) {
            return std::wstring();
        }
        path.resize(path.size() * 2);
    }
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
