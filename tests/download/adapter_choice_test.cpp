// Which adapter a download talks to: the environment, then the store, then the platform.

#include "config/calibration_settings.h"
#include "config/registry_file_store.h"
#include "download/adapters/adapter_choice.h"
#include "download/cspi_flash.h"
#include "download_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class AdapterChoice : public ::testing::Test {
protected:
    void SetUp() override { ::unsetenv(kSpiAdapterVariable); }
    void TearDown() override { ::unsetenv(kSpiAdapterVariable); }

    void storeSetting(const std::string& value)
    {
        auto base = store.createKey("");
        ASSERT_NE(base, nullptr);
        ASSERT_TRUE(base->setString(settings_keys::kSpiAdapter, value));
    }

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

TEST_F(AdapterChoice, TheStoresValueNamesTheSimulatedProcessor)
{
    const auto image = dir / "processor_flash.bin";
    storeSetting("sim:" + image.string());
    EXPECT_EQ(storedAdapterSetting(store), "sim:" + image.string());
    auto adapter = chooseSpiAdapter(&store);
    EXPECT_EQ(adapter->description(), "simulated processor, flash image " + image.string());
    EXPECT_EQ(checkDevice(*adapter), "status: Simulated Chromix Processor");
    EXPECT_FALSE(std::filesystem::exists(image)) << "nothing was written, so no image was created";
}

TEST_F(AdapterChoice, TheEnvironmentComesBeforeTheStore)
{
    storeSetting("sim:" + (dir / "stored.bin").string());
    const auto image = dir / "from_environment.bin";
    ::setenv(kSpiAdapterVariable, ("sim:" + image.string()).c_str(), 1);
    EXPECT_EQ(chooseSpiAdapter(&store)->description(), "simulated processor, flash image " + image.string());
}

TEST_F(AdapterChoice, WithoutASettingThePlatformAdapterFindsNoDevice)
{
    for (const char* setting : {"", "sim:", "ftdi"}) {
        auto adapter = makeSpiAdapter(setting);
        EXPECT_EQ(checkDevice(*adapter), "error: No device connection") << setting;
    }
    EXPECT_EQ(storedAdapterSetting(store), "") << "no store file at all";
    EXPECT_EQ(checkDevice(*chooseSpiAdapter(&store)), "error: No device connection");
    EXPECT_EQ(checkDevice(*chooseSpiAdapter(nullptr)), "error: No device connection");
}

TEST_F(AdapterChoice, AnImageOfTheWrongSizeIsNoDeviceAndStaysUntouched)
{
    const auto image = dir / "wrong.bin";
    writeFile(image, std::string(1000, 'x'));
    auto adapter = makeSpiAdapter("sim:" + image.string());
    EXPECT_EQ(checkDevice(*adapter), "error: No device connection");
    EXPECT_EQ(readFile(image), std::string(1000, 'x'));
}

} // namespace
