#include "config/registry_file.h"

#include "registry_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Quillomar\\Velvane Chromix Application";

RegistryFile parsed(const std::string& bytes)
{
    std::string error;
    std::optional<RegistryFile> file = RegistryFile::parse(bytes, &error);
    EXPECT_TRUE(file.has_value()) << error;
    return file ? *file : RegistryFile::empty();
}

std::string parseError(const std::string& bytes)
{
    std::string error;
    EXPECT_FALSE(RegistryFile::parse(bytes, &error).has_value()) << bytes;
    return error;
}

TEST(RegistryFileValues, ReportBytesAsTheRegistryDoes)
{
    const RegistryFile file = parsed(crlfLines({
        "Windows Registry Editor Version 5.00",
        "",
        "[" + kKey + "]",
        R"("install directory"="C:\\Program Files\\Chromix \"2\"")",
        R"("empty"="")",
        R"(@="default")",
        // 0, 16, 32 as a multi-string in UTF-16LE, wrapped as regedit wraps.
        R"("steps"=hex(7):30,00,00,00,31,00,36,00,00,00,33,00,32,00,\)",
        "  00,00,00,00",
        R"("expand"=hex(2):25,00,41,00,25,00,00,00)",
        R"("noZero"=hex(1):41,00,42,00)",
        R"("count"=dword:0001e240)",
        R"("blob"=hex:de,ad,BE,ef)",
        R"("none"=hex:)",
    }));
    EXPECT_EQ(file.valueBytes(kKey, "install directory"), "C:\\Program Files\\Chromix \"2\"\0"s);
    EXPECT_EQ(file.valueBytes(kKey, "empty"), "\0"s);
    EXPECT_EQ(file.valueBytes(kKey, ""), "default\0"s);
    EXPECT_EQ(file.valueBytes(kKey, "steps"),
              "0\0"
              "16\0"
              "32\0"
              "\0"s);
    EXPECT_EQ(file.valueBytes(kKey, "expand"), "%A%\0"s);
    EXPECT_EQ(file.valueBytes(kKey, "noZero"), "AB");
    EXPECT_EQ(file.valueBytes(kKey, "count"), "\x40\xE2\x01\x00"s); // 123456 = 0x0001E240
    EXPECT_EQ(file.valueBytes(kKey, "blob"), "\xDE\xAD\xBE\xEF");
    EXPECT_EQ(file.valueBytes(kKey, "none"), "");
    EXPECT_EQ(file.valueBytes(kKey, "missing"), std::nullopt);
}

TEST(RegistryFileKeys, ImplicitKeysDeletionsAndSubKeyOrder)
{
    const RegistryFile file = parsed(crlfLines({
        "Windows Registry Editor Version 5.00",
        "; catalogue",
        "[" + kKey + "\\ColorTable\\Display Type\\beta\\Set 1]",
        "[" + kKey + "\\ColorTable\\Display Type\\Alpha]",
        "[" + kKey + "\\ColorTable\\Display Type\\_under]",
        "[" + kKey + "\\ColorTable\\Display Type\\ALPHA\\Set 2]",
        "[" + kKey + "\\ColorTable\\Display Type\\gamma]",
        R"("description"="gone with its key")",
        "[-" + kKey + "\\ColorTable\\Display Type\\Gamma]",
        "[" + kKey + "\\Old]",
        R"("kept"="no")",
        "[-" + kKey + "\\Old]",
        "[" + kKey + "\\Old\\Child]",
        "[" + kKey + "\\Matrix]",
        R"("Current"="a")",
        R"("Gone"="x")",
        "[" + kKey + "\\matrix]",
        R"("current"="b")",
        R"("GONE"=-)",
    }));
    const std::string upperMatrix = "HKEY_CURRENT_USER\\SOFTWARE\\QUILLOMAR\\VELVANE CHROMIX APPLICATION\\MATRIX";
    const std::string catalogue = kKey + "\\ColorTable\\Display Type";
    // Upper-case order, as the registry enumerates: letters before "_".
    EXPECT_EQ(file.subKeyNames(catalogue), (std::vector<std::string>{"Alpha", "beta", "_under"}));
    EXPECT_TRUE(file.hasKey(catalogue + "\\beta")) << "named only as part of a deeper key";
    EXPECT_FALSE(file.hasKey(catalogue + "\\gamma"));
    EXPECT_EQ(file.valueBytes(catalogue + "\\gamma", "description"), std::nullopt);

    // "Old" was deleted with its values, then came back through a deeper key.
    EXPECT_TRUE(file.hasKey(kKey + "\\Old"));
    EXPECT_EQ(file.valueBytes(kKey + "\\Old", "kept"), std::nullopt);
    EXPECT_EQ(file.subKeyNames(kKey + "\\Old"), std::vector<std::string>{"Child"});

    // Paths and names ignore letter case; the later section of the same key decides.
    EXPECT_EQ(file.valueBytes(upperMatrix, "CURRENT"), "b\0"s);
    EXPECT_EQ(file.valueBytes(kKey + "\\Matrix", "Gone"), std::nullopt);
    EXPECT_EQ(file.subKeyNames(kKey), (std::vector<std::string>{"ColorTable", "Matrix", "Old"}));
}

TEST(RegistryFileParse, RejectsWhatIsNotARegistryFileWithTheLine)
{
    const std::string header = "Windows Registry Editor Version 5.00\r\n";
    const std::string key = "[" + kKey + "]\r\n";
    EXPECT_EQ(parseError(""), "the file is empty (no \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\" line)");
    EXPECT_EQ(parseError("\r\n[HKEY_CURRENT_USER]\r\n"),
              "line 2: expected \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
    EXPECT_EQ(parseError(header + R"("a"="1")"), "line 2: a value before the first key line");
    EXPECT_EQ(parseError(header + key + "junk\r\n"), "line 3: not a key, value or comment line");
    EXPECT_EQ(parseError(header + key + R"("a"="open)"), "line 3: quoted text without closing quote");
    EXPECT_EQ(parseError(header + key + R"("a"="x\n")"), "line 3: unknown escape \"\\n\" in quoted text");
    EXPECT_EQ(parseError(header + key + R"("a"="x" junk)"), "line 3: unexpected text after the closing quote");
    EXPECT_EQ(parseError(header + key + R"("a" "x")"), "line 3: expected \"=\" after the value name");
    EXPECT_EQ(parseError(header + key + "\"a\"=hex:01,\\\r\n  0g\r\n"), "line 3: bad hex byte \"0g\"");
    EXPECT_EQ(parseError(header + key + "\"a\"=hex:01,\\"), "line 3: the hex value continues past the end of the file");
    EXPECT_EQ(parseError(header + key + "\"a\"=hex(7):30,00,00\r\n"),
              "line 3: odd number of bytes in a UTF-16 text value");
    EXPECT_EQ(parseError(header + key + "\"a\"=dword:123456789\r\n"), "line 3: bad dword value \"dword:123456789\"");
    EXPECT_EQ(parseError(header + key + "\"a\"=hex(z):00\r\n"), "line 3: bad value type in \"hex(z):00\"");
    EXPECT_EQ(parseError(header + key + "\"a\"=17\r\n"), "line 3: unknown value data \"17\"");
    EXPECT_EQ(parseError(header + "[" + kKey + "\r\n"), "line 2: key line without closing \"]\"");
    EXPECT_EQ(parseError(header + "[" + kKey + "\\\\Matrix]\r\n"), "line 2: bad key path \"" + kKey + "\\\\Matrix\"");
    EXPECT_EQ(parseError("\xFF\xFE"
                         "W\0\x00\xD8"s),
              "the file starts as UTF-16 text but is not valid UTF-16");

    // The base key path has 4 levels; the registry holds at most 512.
    std::string deepKey = kKey;
    for (int level = 5; level <= 512; ++level)
        deepKey += "\\k";
    parsed(header + "[" + deepKey + "]\r\n");
    EXPECT_EQ(parseError(header + "[" + deepKey + "\\k]\r\n"), "line 2: key path deeper than 512 levels");
}

TEST(RegistryFileEdit, ChangesOnlyTheLinesOfTheValuesItSets)
{
    RegistryFile file = parsed(crlfLines({
        "Windows Registry Editor Version 5.00",
        "",
        "; kept comment   ",
        "[" + kKey + "\\Matrix]",
        R"("Current Valid"=hex(1):66,00,\)",
        "    61,00,6c,00,73,00,65,00,00,00",
        R"("Current"="C:\\m.txt")",
        "; trailing comment",
        "",
        "[" + kKey + "\\ColorTable\\Display Type\\A]",
        R"("description"="a")",
    }));
    file.setString(kKey + "\\Matrix", "current valid", "t\"r\\ue");
    file.setString(kKey + "\\Matrix", "Default", "y");
    file.setString(kKey + "\\Matrix", "multi", "a\r\nb"); // line breaks go in as hex
    file.setString(kKey + "\\ColorTable", "description", "implicit");
    file.createKey(kKey + "\\StepWedge");
    file.createKey(kKey + "\\ColorTable\\Display Type"); // exists already: no section

    EXPECT_EQ(file.serialize(),
              crlfLines({
                  "Windows Registry Editor Version 5.00",
                  "",
                  "; kept comment   ",
                  "[" + kKey + "\\Matrix]",
                  R"("current valid"="t\"r\\ue")",
                  R"("Current"="C:\\m.txt")",
                  R"("Default"="y")",
                  R"("multi"=hex(1):61,00,0d,00,0a,00,62,00,00,00)",
                  "; trailing comment",
                  "",
                  "[" + kKey + "\\ColorTable\\Display Type\\A]",
                  R"("description"="a")",
                  "",
                  "[" + kKey + "\\ColorTable]",
                  R"("description"="implicit")",
                  "",
                  "[" + kKey + "\\StepWedge]",
                  "",
              }));
}

TEST(RegistryFileEdit, LongHexValuesAreWrappedLikeRegedit)
{
    // A line break makes the text hex(1): 126 UTF-16 bytes of three characters each.
    const std::string text = std::string(30, 'a') + "\r\n" + std::string(30, 'b');
    RegistryFile file = RegistryFile::empty();
    file.setString(kKey, "multi", text);
    const std::string serialized = file.serialize();
    for (std::size_t start = 0, end; (end = serialized.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 80u) << serialized.substr(start, end - start);
    EXPECT_EQ(parsed(serialized).valueBytes(kKey, "multi"), text + '\0');
}

TEST(RegistryFileEncoding, FilesAreWrittenBackInTheEncodingTheyWereReadIn)
{
    const std::string head =
        "\xFF\xFE" + utf16Ascii(crlfLines({"Windows Registry Editor Version 5.00", "", "[" + kKey + "]"}));
    const std::string valueLine = utf16Ascii("\"p\"=\"M") + "\xFC\0"s + utf16Ascii("\"\r\n"); // "p"="Mü", ü = U+00FC
    RegistryFile file = parsed(head + valueLine);
    EXPECT_EQ(file.valueBytes(kKey, "p"), "M\xC3\xBC\0"s);
    EXPECT_EQ(file.serialize(), head + valueLine);

    file.setString(kKey, "q", "\xC3\xA9\xF0\x9F\x98\x80"); // U+00E9, U+1F600 (surrogates D83D DE00)
    EXPECT_EQ(file.serialize(),
              head + valueLine + utf16Ascii("\"q\"=\"") + "\xE9\0\x3D\xD8\x00\xDE"s + utf16Ascii("\"\r\n"));
    EXPECT_EQ(parsed(file.serialize()).valueBytes(kKey, "q"), "\xC3\xA9\xF0\x9F\x98\x80\0"s);

    // UTF-8 with a byte order mark and bare line feeds: the mark stays, lines end in CR LF.
    file = parsed("\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n[" + kKey + "]\n\"a\"=\"1\"\n");
    EXPECT_EQ(file.valueBytes(kKey, "a"), "1\0"s);
    EXPECT_EQ(file.serialize(),
              "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n[" + kKey + "]\r\n\"a\"=\"1\"\r\n");

    // REGEDIT4: texts are bytes, not UTF-16, and the header stays.
    const std::string steps = R"("steps"=hex(7):30,00,31,36,00,33,32,00,00)";
    file = parsed(crlfLines({"REGEDIT4", "", "[" + kKey + "]", steps}));
    EXPECT_EQ(file.valueBytes(kKey, "steps"),
              "0\0"
              "16\0"
              "32\0"
              "\0"s);
    file.setString(kKey, "a", "1");
    EXPECT_EQ(file.serialize(), crlfLines({"REGEDIT4", "", "[" + kKey + "]", steps, R"("a"="1")"}));
}

} // namespace
