#include "config/registry_file.h"
#include "config/registry_file_store.h"

#include "registry_text.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

const std::string kBase(kBaseKeyPath);

// A few values as regedit exports them; `stepLine` is the step list's line.
std::string sampleFile(const std::string& stepLine = "")
{
    StoreFileText text;
    text.key("").value("install directory", "C:\\Program Files\\Chromix");
    text.key("Matrix").value("Current", "C:\\Data\\cal.txt").value("Current Valid", "false");
    text.key("StepWedge");
    return stepLine.empty() ? text.text() : text.line(stepLine).text();
}

class RegistryFileStoreWrite : public ::testing::Test {
protected:
    std::unique_ptr<RegistryKey> matrixOf(const std::string& text)
    {
        writeFile(file, text);
        auto matrix = store.openKey("Matrix");
        EXPECT_TRUE(matrix);
        return matrix;
    }

    TempDir dir;
    std::filesystem::path file = dir / "registry.reg";
    RegistryFileStore store{file};
};

// Writes merging into the current file are checked across processes in the POSIX tests.
TEST_F(RegistryFileStoreWrite, WriteToAKeyAnotherProgramRemovedIsRefused)
{
    auto matrix = matrixOf(sampleFile());
    ASSERT_TRUE(matrix);
    ASSERT_TRUE(matrix->setString("A", "1"));

    writeFile(file, sampleFile() + "[-" + kBase + "\\Matrix]\r\n");
    const std::string before = readFile(file);
    EXPECT_FALSE(matrix->setString("A", "3"));
    EXPECT_EQ(readFile(file), before);
}

TEST_F(RegistryFileStoreWrite, BrokenFileOrUnstorableTextIsNeverWritten)
{
    auto matrix = matrixOf(sampleFile());
    ASSERT_TRUE(matrix);
    const std::string broken = sampleFile("\"steps\"=hex:0z");
    writeFile(file, broken);
    EXPECT_FALSE(matrix->setString("Current Valid", "true"));
    EXPECT_FALSE(store.openKey("Matrix")) << "a file that cannot be parsed opens no key";
    EXPECT_FALSE(store.createKey("Matrix"));
    EXPECT_EQ(store.lastError(), file.string() + ": line 11: bad hex byte \"0z\"");
    EXPECT_EQ(readFile(file), broken);

    const std::string utf16 = "\xFF\xFE" + utf16Ascii(sampleFile());
    matrix = matrixOf(utf16);
    ASSERT_TRUE(matrix);
    EXPECT_FALSE(matrix->setString("Current", "\xFF\xFE not UTF-8")) << "a UTF-16 file cannot hold these bytes";
    EXPECT_FALSE(matrix->setString("bad\nname", "x"));
    EXPECT_EQ(readFile(file), utf16);
}

TEST_F(RegistryFileStoreWrite, MissingFileOpensNoKeyButCreateKeyMakesIt)
{
    RegistryFileStore nested(dir / "config" / "chromix" / "registry.reg");
    EXPECT_FALSE(nested.openKey(""));
    EXPECT_EQ(nested.lastError(), nested.file().string() + ": the file does not exist");
    auto current = nested.createKey("Second1D\\Current");
    ASSERT_TRUE(current) << nested.lastError();
    EXPECT_EQ(current->path(), "Second1D\\Current");
    ASSERT_TRUE(current->setString("ValidRed", "false"));
    EXPECT_EQ(readFile(nested.file()),
              StoreFileText().key("Second1D\\Current").value("ValidRed", "false").text() + "\r\n");
}

} // namespace
