#pragma once

// A small installation for the image and download command tests, built once per test
// process: the store file, the calibration defaults, one 64-cubed table set ("Cinema")
// whose six tables and fourteen OSD images share one file each, and an erased simulated
// flash. The demo installation holds the same kinds of files, but twelve tables of them.

#include "cli/demo_content.h"
#include "support/environment.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

#include <cstdlib>

class CommandInstallation {
public:
    static const CommandInstallation& get()
    {
        static const CommandInstallation installation;
        return installation;
    }
    std::filesystem::path operator/(std::string_view name) const { return dir / name; }

    // The store of this installation is the one the commands open.
    static void use() { setEnvironment("CHROMIX_REGISTRY", (get() / "registry.reg").string()); }

private:
    CommandInstallation()
    {
        std::filesystem::create_directories(dir / "Diagnostics");
        const std::string firstLut = file("first.txt", lutFileText(1024, 1.0));
        const std::string secondLut = file("second.txt", lutFileText(8192, 1.0));
        StoreFileText store;
        store.key("").value("install directory", dir.path().string());
        store.value("spi adapter", "sim:" + file("processor_flash.bin", std::string(0x800000, '\xff')));
        store.key("Matrix").value("Default", file("default_matrix.txt", identityMatrixFileText()));
        store.value("Current", (dir / "current_matrix.txt").string()).value("Current Valid", "false");
        store.key("First1D\\Default").value("Red", firstLut).value("Green", firstLut).value("Blue", firstLut);
        store.key("Second1D\\Default").value("Red", secondLut).value("Green", secondLut).value("Blue", secondLut);
        store.key("Second1D\\Current").value("Red", secondLut).value("Green", secondLut).value("Blue", secondLut);
        store.value("ValidRed", "false").value("ValidGreen", "false").value("ValidBlue", "false");
        store.key("StepWedge").value("steps", "0~128~255");
        store.key("ColorTable\\Display Type").value("Velvane Orlam LED Projector", "Velvane Orlam LED Projector");
        store.key("ColorTable\\Display Type\\Velvane Orlam LED Projector");
        store.key("ColorTable\\Display Type\\Velvane Orlam LED Projector\\Cinema");
        const std::string table = file("table.txt", colorTableFileText(64, 1));
        const std::vector<std::uint8_t> image = osdImageBytes(20000, 1);
        const std::string osd = file("osd.bin", std::string(image.begin(), image.end()));
        for (const char* n : {"1", "2", "3", "4", "5", "6"})
            store.value(n, table);
        for (const char* n : {"1", "2", "3", "4", "5", "6", "7"})
            store.value(std::string(n) + "_OSD_NATIVE", osd).value(std::string(n) + "_OSD_D65", osd);
        file("registry.reg", store.text());
    }

    std::string file(const std::string& name, const std::string& content) const
    {
        writeFile(dir / name, content);
        return (dir / name).string();
    }

    TempDir dir;
};
