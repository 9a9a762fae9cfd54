// Loads the built kivinterface-1.dll by full path, as the program does, and finds its
// factory by the undecorated export name.
#pragma once

#include <gtest/gtest.h>

#include "sound_test_support.h"

namespace kivtest {

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring path = componentDirectory() + KIV_SOUND_LIBRARY_NAME;
        m_library.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        ASSERT_NE(m_library, nullptr) << "the component is not built beside the tests";
        m_factory = reinterpret_cast<KivICreateInstanceFn>(
            reinterpret_cast<void*>(GetProcAddress(m_library.get(), KIV_SOUND_FACTORY_NAME)));
        ASSERT_NE(m_factory, nullptr) << "no undecorated export " KIV_SOUND_FACTORY_NAME;
    }

    SoundPtr create()
    {
        void* object = nullptr;
        if (!m_factory(L"kivsound", L"1", nullptr, L"ISound", &object)) {
            return SoundPtr();
        }
        return SoundPtr(static_cast<ISound*>(object));
    }

    Library m_library;
    KivICreateInstanceFn m_factory = nullptr;
};

}  // namespace kivtest
