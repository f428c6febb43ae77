#include "config/calibration_settings.h"
#include "config/display_type_catalogue.h"
#include "config/paths.h"
#include "support/store_backends.h"
#include "support/store_file.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

namespace {

// The multi-string 0, 16, 32 as a 5.00 file holds it (UTF-16LE).
const std::string kMultiStringSteps = "\"steps\"=hex(7):30,00,00,00,31,00,36,00,00,00,33,00,32,00,00,00,00,00";

// The keys whose absence fails the load. (The base key always opens while any key below it exists.)
StoreFileText requiredKeys()
{
    StoreFileText store;
    store.key("").value("install directory", "/opt/chromix");
    store.key("First1D\\Default").value("Red", "/f/r.txt").value("Green", "/f/g.txt").value("Blue", "/f/b.txt");
    store.key("Second1D\\Default").value("Red", "/d/r.txt").value("Green", "/d/g.txt").value("Blue", "/d/b.txt");
    store.key("Second1D\\Current")
        .value("Red", "/c/r.txt")
        .value("Green", "/c/g.txt")
        .value("Blue", "/c/b.txt")
        .value("ValidRed", "true")
        .value("ValidGreen", "FALSE")
        .value("ValidBlue", "yes");
    store.key("StepWedge").line(kMultiStringSteps);
    return store;
}

// A complete store as an installation leaves it: the required keys, the matrix and the catalogue.
StoreFileText completeStore()
{
    StoreFileText store = requiredKeys();
    store.key("Matrix")
        .value("Current", "/opt/chromix/cal/matrix.txt")
        .value("Current Valid", "true")
        .value("Default", "/opt/chromix/cal/default_matrix.txt");
    store.key("ColorTable\\Display Type")
        .value("Velvane Orlam LED Projector", "Orlam")
        .value("description", "All types");
    store.key("ColorTable\\Display Type\\Aster").value("description", "An LCD");
    store.key("ColorTable\\Display Type\\Orlam").value("description", "The projector");
    store.key("ColorTable\\Display Type\\Orlam\\Cinema")
        .value("1", "/t/c1.txt")
        .value("2_OSD_NATIVE", "/t/n2.bin")
        .value("7_OSD_D65", "/t/d7.bin")
        .value("description", "Cinema tables");
    return store;
}

// The store text with one line replaced.
std::string replaced(const std::string& text, const std::string& line, const std::string& replacement)
{
    std::string result = text;
    const auto at = result.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    if (at != std::string::npos)
        result.replace(at, line.size(), replacement);
    return result;
}

// Each test runs against every store back end of the platform.
class SettingsTest : public ::testing::TestWithParam<std::string> {
protected:
    // Fills `settings` from a store file holding `text`, and the catalogue's tree when
    // `withCatalogue`; returns load's result.
    bool load(const std::string& text, bool withCatalogue = false)
    {
        settings.reset();
        catalogue.reset();
        store = &backend->fill(text);
        settings.emplace(*store);
        catalogue.emplace(*store);
        return settings->load(withCatalogue ? &*catalogue : nullptr);
    }

    std::unique_ptr<StoreBackend> backend = makeStoreBackend(GetParam());
    RegistryStore* store = nullptr;
    std::optional<CalibrationSettings> settings;
    std::optional<DisplayTypeCatalogue> catalogue;
};

TEST_P(SettingsTest, CompleteStoreLoadsEveryField)
{
    ASSERT_TRUE(load(completeStore().text()));
    EXPECT_EQ(settings->installDirectory, "/opt/chromix");
    EXPECT_EQ(settings->matrixCurrent, "/opt/chromix/cal/matrix.txt");
    EXPECT_EQ(settings->matrixDefault, "/opt/chromix/cal/default_matrix.txt");
    EXPECT_EQ(settings->firstLutDefault[2], "/f/b.txt");
    EXPECT_EQ(settings->secondLutDefault[1], "/d/g.txt");
    EXPECT_EQ(settings->secondLutCurrent[0], "/c/r.txt");
    EXPECT_EQ(settings->stepList, "0~16~32~~") << "every zero of the multi-string becomes a separator";
    EXPECT_EQ(settings->displayType, "Orlam");
    EXPECT_TRUE(catalogue->displayTypeTree.roots.empty()) << "the tree is filled only on request";

    // "true", "FALSE" and "yes" in the store.
    std::array<bool, 3> valid{false, true, false};
    for (const Channel channel : kAllChannels)
        EXPECT_TRUE(settings->getLinearityValid(channel, valid[channelIndex(channel)])) << channelName(channel);
    EXPECT_EQ(valid, (std::array<bool, 3>{true, false, true}));

    std::string path = "kept:";
    ASSERT_TRUE(settings->getDownloadParametersPath(path));
    EXPECT_EQ(path,
              std::string("kept:/opt/chromix") + kPathSeparator + "Diagnostics" + kPathSeparator
                  + "download_parameters.txt");
    std::string matrix = "replaced";
    ASSERT_TRUE(settings->getMatrixCurrent(matrix));
    EXPECT_EQ(matrix, "/opt/chromix/cal/matrix.txt");
}

TEST_P(SettingsTest, ValueOf260BytesIsReadAndLongerCountsAsMissing)
{
    std::string text = completeStore().text();
    // 259 characters and the zero make 260 bytes; 260 characters make 261.
    text = replaced(text, "\"install directory\"=\"/opt/chromix\"",
                    "\"install directory\"=\"" + std::string(259, 'a') + "\"");
    text = replaced(text, "\"Default\"=\"/opt/chromix/cal/default_matrix.txt\"",
                    "\"Default\"=\"" + std::string(260, 'b') + "\"");
    EXPECT_FALSE(load(text));
    EXPECT_EQ(settings->installDirectory, std::string(259, 'a'));
    EXPECT_TRUE(settings->matrixDefault.empty());
}

TEST_P(SettingsTest, MissingKeysAndWhichOnesFailTheLoad)
{
    // Keys whose absence is tolerated: "Matrix" and "ColorTable\Display Type".
    const StoreFileText required = requiredKeys();
    EXPECT_TRUE(load(required.text()));
    EXPECT_TRUE(settings->matrixCurrent.empty());
    EXPECT_TRUE(settings->displayType.empty());
    bool valid = true;
    EXPECT_FALSE(settings->getMatrixCurrentValid(valid)) << "an empty flag is not known";

    // A missing value inside a key that opens fails the load, the other values still read.
    StoreFileText withMatrix = required;
    withMatrix.key("Matrix").value("Current", "/m.txt");
    EXPECT_FALSE(load(withMatrix.text()));
    EXPECT_EQ(settings->matrixCurrent, "/m.txt");

    // A missing LUT key fails the load; a plain step list gets one separator at its end.
    const std::string plainSteps = replaced(required.text(), kMultiStringSteps, "\"steps\"=\"0~16~32\"");
    EXPECT_FALSE(load(replaced(plainSteps, "\\First1D\\Default]", "\\Elsewhere]")));
    EXPECT_EQ(settings->stepList, "0~16~32~");

    // A missing step wedge key stops the load before the display type and its tree.
    EXPECT_FALSE(load(replaced(completeStore().text(), "\\StepWedge]", "\\Elsewhere]"), true));
    EXPECT_TRUE(settings->displayType.empty());
    EXPECT_TRUE(catalogue->displayTypeTree.roots.empty());
}

TEST_P(SettingsTest, UnreadableStoreFailsTheLoadQuietly)
{
    EXPECT_FALSE(load("this is not a registry file\r\n", true));
    EXPECT_TRUE(settings->stepList.empty());
    EXPECT_TRUE(settings->setMatrixCurrentValid(true)) << "a key that does not open writes nothing and reports true";
    EXPECT_TRUE(backend->unchangedSinceFill());
}

TEST(ParseFlag, OnlyFalseInAnyCaseIsFalse)
{
    for (const char* text : {"false", "FaLsE"})
        EXPECT_FALSE(parseFlag(text)) << text;
    for (const char* text : {"False ", "true", "TRUE", "yes", "0"})
        EXPECT_TRUE(parseFlag(text)) << text;
}

TEST_P(SettingsTest, FlagsAreWrittenAndReadBack)
{
    ASSERT_TRUE(load(completeStore().text()));
    EXPECT_TRUE(settings->setMatrixCurrentValid(false));
    EXPECT_TRUE(settings->setLinearityValid(Channel::Green, true));
    EXPECT_TRUE(settings->setLinearityValid(Channel::Blue, false));
    EXPECT_EQ(settings->matrixCurrentValid, "true") << "the record is not changed by the writers";

    CalibrationSettings reader(*store);
    ASSERT_TRUE(reader.load());
    EXPECT_EQ(reader.matrixCurrentValid, "false");
    EXPECT_EQ(reader.validRed, "true");
    EXPECT_EQ(reader.validGreen, "true");
    EXPECT_EQ(reader.validBlue, "false");
}

TEST_P(SettingsTest, CatalogueReaders)
{
    ASSERT_TRUE(load(completeStore().text()));

    // Readers append to their output.
    std::string out = "x";
    EXPECT_TRUE(catalogue->readTableFileName("Orlam", "Cinema", "1", out));
    EXPECT_TRUE(catalogue->readOsdNativeFileName("Orlam", "Cinema", "2", out));
    EXPECT_TRUE(catalogue->readOsdD65FileName("Orlam", "Cinema", "7", out));
    EXPECT_TRUE(catalogue->readTableDescription("Orlam", "Cinema", out));
    EXPECT_TRUE(catalogue->readDisplayTypeDescription("Aster", out));
    EXPECT_TRUE(catalogue->readCatalogueDescription(out));
    EXPECT_EQ(out,
              "x"
              "/t/c1.txt"
              "/t/n2.bin"
              "/t/d7.bin"
              "Cinema tables"
              "An LCD"
              "All types");

    // A missing value in a key that opens fails; a key that does not open succeeds untouched.
    out = "same";
    EXPECT_FALSE(catalogue->readTableFileName("Orlam", "Cinema", "3", out));
    EXPECT_EQ(out, "same");
    EXPECT_TRUE(catalogue->readTableFileName("Orlam", "Nowhere", "1", out));
    EXPECT_TRUE(catalogue->readDisplayTypeDescription("Nowhere", out));
    EXPECT_EQ(out, "same");
}

std::vector<std::string> childNames(const DisplayTypeNode& node)
{
    std::vector<std::string> names;
    for (const DisplayTypeNode& child : node.children)
        names.push_back(child.name);
    return names;
}

TEST_P(SettingsTest, ConfiguredDisplayTypeLeadsItsSiblingsButNotANameDifferingInCase)
{
    // Enumerated as Aster, Borealis, Orlam.
    StoreFileText text = completeStore();
    text.key("ColorTable\\Display Type\\Borealis\\Set");
    ASSERT_TRUE(load(replaced(text.text(), "=\"Orlam\"", "=\"orlam\""), true));
    ASSERT_EQ(catalogue->displayTypeTree.roots.size(), 1u);
    EXPECT_EQ(childNames(catalogue->displayTypeTree.roots[0]),
              (std::vector<std::string>{"Aster", "Borealis", "Orlam"}));

    ASSERT_TRUE(load(text.text(), true));
    const DisplayTypeTree& tree = catalogue->displayTypeTree;
    EXPECT_EQ(tree.configuredDisplayType, "Orlam");
    ASSERT_EQ(tree.roots.size(), 1u);
    const DisplayTypeNode& root = tree.roots[0];
    EXPECT_EQ(root.name, "Display Type");
    EXPECT_TRUE(root.hasChildren);
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"Orlam", "Aster", "Borealis"}));

    const DisplayTypeNode& orlam = root.children[0];
    EXPECT_EQ(childNames(orlam), (std::vector<std::string>{"Cinema"}));
    EXPECT_FALSE(orlam.children[0].hasChildren);
    EXPECT_TRUE(root.children[2].hasChildren);
    ASSERT_NE(orlam.children[0].key, nullptr);
    EXPECT_EQ(orlam.children[0].key->path(), "ColorTable\\Display Type\\Orlam\\Cinema");
}

TEST_P(SettingsTest, EmptyCatalogueGivesNoTree)
{
    // Drop every display type below the catalogue key.
    std::string text = completeStore().text();
    text.erase(text.find(
        "\r\n[HKEY_CURRENT_USER\\Software\\Quillomar\\Velvane Chromix Application\\ColorTable\\Display Type\\"));
    ASSERT_TRUE(load(text + "\r\n", true));
    EXPECT_EQ(catalogue->displayTypeTree.configuredDisplayType, "Orlam");
    EXPECT_TRUE(catalogue->displayTypeTree.roots.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsTest, ::testing::ValuesIn(storeBackendNames()),
                         [](const ::testing::TestParamInfo<std::string>& backendName) { return backendName.param; });

} // namespace
