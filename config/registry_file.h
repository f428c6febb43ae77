#pragma once

// A registry export file held as its lines, so that a change rewrites only the lines it
// touches. Reads "Windows Registry Editor Version 5.00" (UTF-16LE with BOM, or UTF-8) and
// "REGEDIT4" files, and writes back in the encoding it read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RegistryFile {
public:
    // Parses a whole file. Nothing, with a reason in `error`, when it is not a registry file.
    static std::optional<RegistryFile> parse(std::string_view fileBytes, std::string* error = nullptr);

    // A new, empty "Windows Registry Editor Version 5.00" file (UTF-8).
    static RegistryFile empty();

    // The file's bytes, in the encoding it was read in, lines ending with CR LF.
    std::string serialize() const;

    // Key paths are full paths ("HKEY_CURRENT_USER\Software\..."), compared without regard to case.
    [[nodiscard]] bool hasKey(std::string_view keyPath) const;

    // The value's bytes as the registry reports them (see RegistryKey::queryValue).
    [[nodiscard]] std::optional<std::string> valueBytes(std::string_view keyPath, std::string_view valueName) const;

    // Names of the direct sub-keys, in case-insensitive order. A key that appears only as
    // part of a deeper key's path counts too.
    std::vector<std::string> subKeyNames(std::string_view keyPath) const;

    // A value with its registry type (1 string, 4 number, 7 multi-string, ...) and its bytes
    // as the registry reports them.
    struct TypedValue {
        std::string name;
        unsigned long type = 1;
        std::string bytes;
    };
    // Every key the file leaves in place once imported, each once, in file order; with the
    // key's values, so that the file can be copied into the registry.
    std::vector<std::string> keyPaths() const;
    std::vector<TypedValue> values(std::string_view keyPath) const;

    // Sets a string value, replacing the value's line(s) in place or adding a line at the
    // end of the key's section; adds the section when the key has none.
    void setString(std::string_view keyPath, std::string_view valueName, std::string_view data);

    // Adds an empty section for the key when the key does not exist yet.
    void createKey(std::string_view keyPath);

private:
    enum class Encoding { Utf8, Utf8WithBom, Utf16 };
    struct Value {
        std::string name; // "" for the default value "@"
        std::optional<std::string> bytes; // narrow bytes as the registry reports them; none for "=-"
        unsigned long type = 1;
        std::size_t firstLine = 0;
        std::size_t lineCount = 1;
    };
    struct Section {
        std::string path;
        bool deleted = false; // a "[-...]" section
        std::size_t headerLine = 0;
        std::vector<Value> values;
    };

    std::vector<std::string> lines_; // file lines, decoded to UTF-8, without line ends
    std::vector<Section> sections_;
    Encoding encoding_ = Encoding::Utf8;
    bool regedit4_ = false;

    bool index(std::string* error);
    static bool parseKeyLine(std::string_view text, Section& section, std::string& error);
    bool parseValue(std::size_t line, Value& value, std::string& error) const;
    bool parseHexValue(std::size_t line, std::string_view data, Value& value, std::string& error) const;
    std::string textBytes(std::string_view narrow) const;
    void replaceLines(std::size_t first, std::size_t count, const std::vector<std::string>& replacement);
    void appendSection(std::string_view keyPath, const std::vector<std::string>& valueLines);
    void setValueLines(std::string_view keyPath, std::string_view valueName,
                       const std::vector<std::string>& valueLines);
};
