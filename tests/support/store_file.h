#pragma once

// Builds registry export files for tests: sections below the tool set's base key.

#include <string>
#include <string_view>

class StoreFileText {
public:
    StoreFileText() : text_("Windows Registry Editor Version 5.00\r\n") {}

    // Starts the section of a key below the base key ("" for the base key itself).
    StoreFileText& key(std::string_view path)
    {
        text_ += "\r\n[HKEY_CURRENT_USER\\Software\\Quillomar\\Velvane Chromix Application";
        if (!path.empty())
            text_ += "\\" + std::string(path);
        text_ += "]\r\n";
        return *this;
    }

    // A string value; `data` must not need escaping beyond "\" (doubled here).
    StoreFileText& value(std::string_view name, std::string_view data)
    {
        std::string escaped;
        for (char c : data) {
            if (c == '\\' || c == '"')
                escaped += '\\';
            escaped += c;
        }
        text_ += "\"" + std::string(name) + "\"=\"" + escaped + "\"\r\n";
        return *this;
    }

    // A line as it stands (hex values and the like).
    StoreFileText& line(std::string_view text)
    {
        text_ += std::string(text) + "\r\n";
        return *this;
    }

    const std::string& text() const { return text_; }

private:
    std::string text_;
};
