// The factory's contract: exactly ("kivsound", "1", null, "ISound") gives an object.
#include "component_fixture.h"

#include <mmsystem.h>

namespace {

using kivtest::ComponentTest;

TEST_F(ComponentTest, RightNamesGiveAnUsableObjectWithNothingOpen)
{
    void* object = nullptr;
    ASSERT_TRUE(m_factory(L"kivsound", L"1", nullptr, L"ISound", &object));
    ASSERT_NE(object, nullptr);
    kivtest::SoundPtr sound(static_cast<ISound*>(object));
    EXPECT_EQ(sound->DeviceId(), 0u);
    EXPECT_EQ(sound->Mode(), 0u);
    EXPECT_TRUE(sound->Stop()) << "Stop is harmless when nothing plays";
    EXPECT_FALSE(sound->Play(0)) << "nothing is open to play";
    EXPECT_FALSE(sound->Play(1));
}

struct Request {
    const wchar_t* component;
    const wchar_t* version;
    bool outer;
    const wchar_t* interfaceName;
    const char* what;
};

const Request wrongRequests[] = {
    {L"kivSound", L"1", false, L"ISound", "component name differs in case"},
    {L"kivsound2", L"1", false, L"ISound", "other component"},
    {L"kivsound ", L"1", false, L"ISound", "trailing blank"},
    {L"", L"1", false, L"ISound", "empty component"},
    {nullptr, L"1", false, L"ISound", "null component"},
    {L"kivsound", L"2", false, L"ISound", "other version"},
    {L"kivsound", L"1.0", false, L"ISound", "version written differently"},
    {L"kivsound", L"", false, L"ISound", "empty version"},
    {L"kivsound", nullptr, false, L"ISound", "null version"},
    {L"kivsound", L"1", true, L"ISound", "an outer object"},
    {L"kivsound", L"1", false, L"IUnknown", "other interface"},
    {L"kivsound", L"1", false, L"isound", "interface name differs in case"},
    {L"kivsound", L"1", false, L"ISound2", "longer interface name"},
    {L"kivsound", L"1", false, nullptr, "null interface"},
};

TEST_F(ComponentTest, WrongNamesVersionsOrInterfacesAreRefusedAndClearThePointer)
{
    int outer = 0;
    for (const Request& request : wrongRequests) {
        int sentinel = 0;
        void* object = &sentinel;
        EXPECT_FALSE(m_factory(request.component, request.version, request.outer ? &outer : nullptr,
                               request.interfaceName, &object))
            << request.what;
        EXPECT_EQ(object, nullptr) << request.what;
    }
}

TEST_F(ComponentTest, NullResultAddressIsRefused)
{
    EXPECT_FALSE(m_factory(L"kivsound", L"1", nullptr, L"ISound", nullptr));
}

TEST_F(ComponentTest, InstancesAreIndependent)
{
    kivtest::SoundPtr first = create();
    kivtest::SoundPtr second = create();
    ASSERT_TRUE(first && second);
    ASSERT_NE(first.get(), second.get());
    ASSERT_TRUE(first->Open(kivtest::soundPath(L"relax.mp3").c_str()));
    ASSERT_TRUE(second->Open(kivtest::soundPath(L"relaxNotice.mp3").c_str()));
    EXPECT_NE(first->DeviceId(), second->DeviceId());

    ASSERT_TRUE(first->Play(1));
    const UINT firstDevice = first->DeviceId();
    second.reset();  // Release of one instance leaves the other playing
    EXPECT_EQ(kivtest::mciMode(firstDevice), static_cast<DWORD>(MCI_MODE_PLAY));
    EXPECT_EQ(kivtest::openMciDevices(), 1);
}

}  // namespace
