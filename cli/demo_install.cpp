#include "cli/demo_install.h"

#include "cli/demo_content.h"
#include "config/calibration_settings.h"
#include "config/channel.h"
#include "config/number_text.h"
#include "config/registry_file.h"
#include "config/registry_file_store.h"

#include <cctype>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using namespace settings_keys;

constexpr const char* kProjector = "Velvane Orlam LED Projector";
constexpr const char* kMonitor = "Velvane Aster LCD Monitor";
constexpr std::size_t kOsdImageSize = 20000;
constexpr std::size_t kFlashImageSize = 8 * 1024 * 1024;

struct TableSet {
    std::string displayType;
    std::string name;
    std::string folder; // below DIR/tables
    std::string description;
};

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

class Installer {
public:
    Installer(fs::path dir, std::string& error) : dir_(std::move(dir)), error_(error), store_(RegistryFile::empty()) {}

    bool run()
    {
        return createFolders() && writeCalibrationFiles() && writeTableSet(cinema(), 65) && writeTableSet(studio(), 64)
            && writeSamples() && writeFlashImage() && writeStore();
    }

private:
    static TableSet cinema() { return {kProjector, "Cinema", "cinema", "65-point tables for cinema content"}; }
    static TableSet studio() { return {kProjector, "Studio", "studio", "64-point tables for studio monitoring"}; }

    bool createFolders()
    {
        std::error_code ec;
        for (const char* folder : {"Diagnostics", "calibration", "tables/cinema", "tables/studio", "samples"}) {
            fs::create_directories(dir_ / folder, ec);
            if (ec)
                return fail("cannot create folder " + (dir_ / folder).string() + ": " + ec.message());
        }
        return true;
    }

    bool writeCalibrationFiles()
    {
        const fs::path calibration = dir_ / "calibration";
        setValue(kMatrix, "Default", path(calibration / "default_matrix.txt"));
        setValue(kMatrix, "Current", path(calibration / "current_matrix.txt"));
        setValue(kMatrix, "Current Valid", "false");
        if (!write(calibration / "default_matrix.txt", identityMatrixFileText()))
            return false;
        for (Channel channel : kAllChannels) {
            const std::string name(channelName(channel));
            const std::string lower = lowerCase(name);
            const fs::path first = calibration / ("first_1d_" + lower + ".txt");
            const fs::path secondDefault = calibration / ("default_2nd_1d_" + lower + ".txt");
            setValue(kFirstLutDefault, name, path(first));
            setValue(kSecondLutDefault, name, path(secondDefault));
            setValue(kSecondLutCurrent, name, path(calibration / ("current_2nd_1d_" + lower + ".txt")));
            setValue(kSecondLutCurrent, "Valid" + name, "false");
            // The processor's own nonlinearity: a gentle power curve.
            if (!write(first, lutFileText(1024, 1.0 / 1.1)) || !write(secondDefault, secondLutDefaultText()))
                return false;
        }
        return true;
    }

    const std::string& secondLutDefaultText()
    {
        if (identityLut_.empty())
            identityLut_ = lutFileText(8192, 1.0);
        return identityLut_;
    }

    bool writeTableSet(const TableSet& set, int size)
    {
        const fs::path folder = dir_ / "tables" / set.folder;
        const std::string key = joinKeyPath(joinKeyPath(kDisplayTypes, set.displayType), set.name);
        setValue(key, "description", set.description);
        // The second display type offers the 64-point set as its "Standard" set.
        const bool shared = size == 64;
        const std::string sharedKey = joinKeyPath(joinKeyPath(kDisplayTypes, kMonitor), "Standard");
        if (shared)
            setValue(sharedKey, "description", "Standard tables (shared with the projector's studio set)");
        auto both = [&](const std::string& name, const std::string& file) {
            setValue(key, name, file);
            if (shared)
                setValue(sharedKey, name, file);
        };
        for (int table = 1; table <= 6; ++table) {
            const fs::path file = folder / ("table_" + formatInteger(table) + ".txt");
            both(formatInteger(table), path(file));
            if (!write(file, colorTableFileText(size, table)))
                return false;
        }
        for (int image = 1; image <= 7; ++image) {
            const std::string n = formatInteger(image);
            const fs::path native = folder / ("osd_native_" + n + ".bin");
            const fs::path d65 = folder / ("osd_d65_" + n + ".bin");
            both(n + "_OSD_NATIVE", path(native));
            both(n + "_OSD_D65", path(d65));
            if (!writeBytes(native, osdImageBytes(kOsdImageSize, image))
                || !writeBytes(d65, osdImageBytes(kOsdImageSize, image + 7)))
                return false;
        }
        return true;
    }

    bool writeSamples()
    {
        std::string steps;
        for (int code : demoStepCodes())
            steps += (steps.empty() ? "" : "~") + formatInteger(code);
        setValue(kStepWedge, "steps", steps);
        setValue(kDisplayTypes, kConfiguredDisplayType, kProjector);
        setValue(kDisplayTypes, "description", "Display types supported by the Chromix processor");
        setValue(joinKeyPath(kDisplayTypes, kProjector), "description", "Three-chip LED projector with a wide gamut");
        setValue(joinKeyPath(kDisplayTypes, kMonitor), "description", "LCD reference monitor");
        return write(dir_ / "samples" / "linearity_data.txt", linearitySampleText(demoStepCodes()))
            && write(dir_ / "samples" / "primary_data.txt", primarySampleText());
    }

    bool writeFlashImage()
    {
        const fs::path image = dir_ / "processor_flash.bin";
        setValue("", kSpiAdapter, "sim:" + path(image));
        return writeBytes(image, std::vector<std::uint8_t>(kFlashImageSize, 0xFF));
    }

    bool writeStore()
    {
        setValue("", kInstallDirectory, path(dir_));
        return write(dir_ / "registry.reg", store_.serialize());
    }

    void setValue(const std::string& key, const std::string& name, const std::string& data)
    {
        store_.setString(key.empty() ? std::string(kBaseKeyPath) : joinKeyPath(kBaseKeyPath, key), name, data);
    }

    static std::string path(const fs::path& file) { return file.string(); }

    // The folder is new and holds nothing else, so plain writes suffice (no sync per file).
    bool write(const fs::path& file, std::string_view content)
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out)
            return fail("cannot write " + file.string());
        return true;
    }

    bool writeBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes)
    {
        return write(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }

    bool fail(const std::string& message)
    {
        error_ = message;
        return false;
    }

    fs::path dir_;
    std::string& error_;
    RegistryFile store_;
    std::string identityLut_;
};

} // namespace

Result<> createDemoInstallation(const fs::path& dir)
{
    std::error_code ec;
    if (fs::exists(dir, ec)) {
        if (!fs::is_directory(dir, ec))
            return systemFailure(dir.string() + " exists and is not a folder");
        if (!fs::is_empty(dir, ec))
            return systemFailure(dir.string() + " is not empty; choose a new or empty folder");
    }
    const fs::path absolute = fs::absolute(dir, ec);
    if (ec)
        return systemFailure("cannot resolve " + dir.string() + ": " + ec.message());
    fs::path normal = absolute.lexically_normal();
    if (!normal.has_filename())
        normal = normal.parent_path(); // no trailing separator in the stored paths
    std::string error;
    if (!Installer(normal, error).run())
        return systemFailure(error);
    return {};
}
