// Builds all three flash regions from the demo installation's 65-cubed table set ("Cinema")
// with the download readers, and reads the same files the old way, one fscanf("%f") per
// number and one fgetc per image byte, storing the same bytes. Both run in the same process
// on the same files.

#include "cli/demo_install.h"
#include "config/registry_file_store.h"
#include "download/download_file_names.h"
#include "download/download_run.h"
#include "download/download_settings.h"
#include "download/table_readers.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>

namespace {

namespace fs = std::filesystem;

// One demo installation for the whole process, removed at exit.
class Demo {
public:
    static Demo& get()
    {
        static Demo demo;
        return demo;
    }
    const DownloadSettings& settings() const { return *settings_; }
    DownloadChoice choice() const
    {
        DownloadChoice choice;
        choice.displayType = "Velvane Orlam LED Projector";
        choice.table = "Cinema";
        choice.colorTables = choice.calibrationValues = true;
        return choice;
    }
    ~Demo() { fs::remove_all(dir_); }

private:
    Demo()
    {
        std::random_device random;
        dir_ = fs::temp_directory_path() / ("chromix-bench-" + std::to_string(random()));
        if (const Result<> created = createDemoInstallation(dir_); !created) {
            std::cerr << "cannot create the demo installation: " << created.failure().reason << "\n";
            std::exit(1);
        }
        store_ = std::make_unique<RegistryFileStore>(dir_ / "registry.reg");
        settings_ = std::make_unique<DownloadSettings>(*store_);
        static_cast<void>(settings_->load());
    }
    fs::path dir_;
    std::unique_ptr<RegistryFileStore> store_;
    std::unique_ptr<DownloadSettings> settings_;
};

void BM_BuildImage(benchmark::State& bench)
{
    Demo& demo = Demo::get();
    SilentObserver observer;
    NoPause noPause;
    for (auto _ : bench) {
        std::array<FlashRegion, 3> regions = makeFlashRegions();
        RunState state;
        if (!startDownload(regions, state, demo.choice(), observer)
            || !readDownloadImage(regions, state, demo.settings(), observer, noPause)) {
            bench.SkipWithError(state.errorText.c_str());
            return;
        }
        benchmark::DoNotOptimize(regions[0].data.data());
    }
}
BENCHMARK(BM_BuildImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The old readers' way: numbers one fscanf at a time, a 3D table counted in one pass and
// read in a second, image bytes one fgetc at a time.
class FscanfReader {
public:
    explicit FscanfReader(std::array<FlashRegion, 3>& regions) : regions_(regions) {}

    void colorTable(const std::string& path)
    {
        FlashRegion& region = regions_[0];
        std::FILE* file = std::fopen(path.c_str(), "r");
        float v = 0.0f;
        long numbers = 0;
        while (std::fscanf(file, "%f", &v) == 1)
            ++numbers;
        std::rewind(file);
        const long groups = numbers / 6;
        const int edge = groups == 274625 ? 65 : 64;
        for (long g = 0; g < groups; ++g) {
            float group[6];
            for (float& number : group)
                std::fscanf(file, "%f", &number);
            if (g % edge >= 64 || g / edge % edge >= 64 || g / (edge * edge) >= 64)
                continue;
            for (int k = 3; k < 6; ++k)
                phase_ = packTenBits(phase_, static_cast<std::uint16_t>(group[k] * 1023.0 + 0.5), region.data,
                                     region.fillCount);
            if (phase_ == 0 && (region.fillCount & 0xFF) == 0xF0) {
                std::fill_n(region.data.begin() + region.fillCount, 16, 0x5A);
                region.fillCount += 16;
            }
        }
        std::fclose(file);
    }

    void osdImage(const std::string& path)
    {
        FlashRegion& region = regions_[1];
        std::FILE* file = std::fopen(path.c_str(), "r");
        for (int c; (c = std::fgetc(file)) != EOF;)
            region.data[region.fillCount++] |= static_cast<std::uint8_t>(c);
        region.fillCount += 224;
        std::fclose(file);
    }

    void lut(const std::string& path, double scale)
    {
        FlashRegion& region = regions_[2];
        std::FILE* file = std::fopen(path.c_str(), "r");
        for (float v = 0.0f; std::fscanf(file, "%f", &v) == 1;) {
            const int n = static_cast<int>(v * scale + 0.5);
            region.data[region.fillCount++] |= static_cast<std::uint8_t>(n >> 8);
            region.data[region.fillCount++] |= static_cast<std::uint8_t>(n);
        }
        std::fclose(file);
    }

    void matrix(const std::string& path)
    {
        FlashRegion& region = regions_[2];
        const std::uint32_t end = region.fillCount + 256;
        std::FILE* file = std::fopen(path.c_str(), "r");
        for (float v = 0.0f; std::fscanf(file, "%f", &v) == 1;) {
            int n = static_cast<int>(v * 65535.0 + 0.5);
            region.data[region.fillCount] = n < 0 ? std::uint8_t{0x80} : std::uint8_t{0x00};
            n = n < 0 ? -n : n;
            region.data[region.fillCount + 2] |= static_cast<std::uint8_t>(n / 2 >> 8);
            region.data[region.fillCount + 3] |= static_cast<std::uint8_t>(n / 2);
            region.fillCount += 4;
        }
        region.fillCount = end;
        std::fclose(file);
    }

private:
    std::array<FlashRegion, 3>& regions_;
    std::uint8_t phase_ = 0;
};

void BM_FscanfBaseline(benchmark::State& bench)
{
    Demo& demo = Demo::get();
    const DownloadSettings& settings = demo.settings();
    const DownloadChoice choice = demo.choice();
    std::string name;
    for (auto _ : bench) {
        std::array<FlashRegion, 3> regions = makeFlashRegions();
        for (FlashRegion& region : regions)
            region.data.assign(region.paddedSize, 0);
        FscanfReader reader(regions);
        for (int k = 1; k <= kColorTableCount; ++k) {
            colorTableFileName(settings.catalogue, choice.displayType, choice.table, k, name);
            reader.colorTable(name);
        }
        for (int i = 0; i < kOsdImageCount; ++i) {
            osdImageFileName(settings.catalogue, choice.displayType, choice.table, i, name);
            reader.osdImage(name);
        }
        for (Channel channel : kAllChannels) {
            firstLutFileName(settings.record, channel, name);
            reader.lut(name, 65535.0);
        }
        matrixFileName(settings.record, false, name);
        reader.matrix(name);
        for (Channel channel : kAllChannels) {
            secondLutFileName(settings.record, channel, false, name);
            reader.lut(name, 1023.0);
        }
        if (regions[0].fillCount != regions[0].dataSize || regions[1].fillCount != regions[1].dataSize
            || regions[2].fillCount != regions[2].dataSize) {
            bench.SkipWithError("the baseline did not fill the regions");
            return;
        }
        benchmark::DoNotOptimize(regions[0].data.data());
    }
}
BENCHMARK(BM_FscanfBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
