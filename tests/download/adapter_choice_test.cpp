// Which adapter a download talks to: the environment, then the store, then the platform.

#include "config/calibration_settings.h"
#include "config/registry_file_store.h"
#include "download/adapters/adapter_choice.h"
#include "download/cspi_flash.h"
#include "download_test_support.h"
#include "support/environment.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class AdapterChoice : public ::testing::Test {
protected:
    void SetUp() override { unsetEnvironment(kSpiAdapterVariable); }
    void TearDown() override { unsetEnvironment(kSpiAdapterVariable); }

    // What the operator would see after pressing Download with this adapter.
    std::string checkDevice(ChosenSpiAdapter& adapter)
    {
        CSPI_Flash flash(adapter.library(), adapter.clock());
        RecordingObserver observer;
        RecordingPacer pacer;
        flash.checkDevice(observer, pacer);
        return observer.events.empty() ? "" : observer.events.back();
    }

    TempDir dir;
    RegistryFileStore store{dir / "registry.reg"};
};

TEST_F(AdapterChoice, TheStoresValueNamesTheSimulatedProcessorAndTheEnvironmentComesFirst)
{
    const auto image = dir / "processor_flash.bin";
    ASSERT_TRUE(store.createKey("")->setString(settings_keys::kSpiAdapter, "sim:" + image.string()));
    EXPECT_EQ(storedAdapterSetting(store), "sim:" + image.string());
    auto adapter = chooseSpiAdapter(&store);
    EXPECT_EQ(adapter->description(), "simulated processor, flash image " + image.string());
    EXPECT_EQ(checkDevice(*adapter), "status: Simulated Chromix Processor");
    EXPECT_FALSE(std::filesystem::exists(image)) << "nothing was written, so no image was created";

    const auto fromEnvironment = dir / "from_environment.bin";
    setEnvironment(kSpiAdapterVariable, "sim:" + fromEnvironment.string());
    EXPECT_EQ(chooseSpiAdapter(&store)->description(), "simulated processor, flash image " + fromEnvironment.string());
}

TEST_F(AdapterChoice, WithoutAUsableSettingThereIsNoDevice)
{
    for (const char* setting : {"", "sim:", "ftdi"})
        EXPECT_EQ(checkDevice(*makeSpiAdapter(setting)), "error: No device connection") << setting;
    EXPECT_EQ(storedAdapterSetting(store), "") << "no store file at all";
    EXPECT_EQ(checkDevice(*chooseSpiAdapter(&store)), "error: No device connection");
    EXPECT_EQ(checkDevice(*chooseSpiAdapter(nullptr)), "error: No device connection");
    // An image the simulated chip refuses: see its own test and the two front ends.
}

} // namespace
