// The operator's manual cannot fall behind the programs: every text the windows show
// (labels, status messages, advice, message boxes) is read from the source as the code
// has it today and must appear in the manual.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = CHROMIX_SOURCE_DIR;

// Folders that hold no window text: the command line has its own man page.
const char* const kSkippedFolders[] = {".git", "build", "tests", "bench", "cli", "packaging", "docs", "scripts"};
// Files whose texts only scripts see.
const char* const kSkippedFiles[] = {"screenshot_hook.cpp"};

std::string readWhole(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void appendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

struct Literal {
    std::string text;
    int line;
};

// The string literals of a C++ file, adjacent ones joined as the compiler joins them;
// comments and character literals skipped.
std::vector<Literal> stringLiterals(const std::string& code)
{
    std::vector<Literal> literals;
    bool joinNext = false;
    int line = 1;
    for (std::size_t i = 0; i < code.size();) {
        const char c = code[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (code.compare(i, 2, "//") == 0) {
            i = code.find('\n', i);
        } else if (code.compare(i, 2, "/*") == 0) {
            const std::size_t end = code.find("*/", i + 2);
            line += static_cast<int>(std::count(code.begin() + static_cast<std::ptrdiff_t>(i),
                                                code.begin() + static_cast<std::ptrdiff_t>(std::min(end, code.size())),
                                                '\n'));
            i = end == std::string::npos ? end : end + 2;
        } else if (c == '\'') {
            for (++i; i < code.size() && code[i] != '\''; ++i)
                i += code[i] == '\\' ? 1u : 0u;
            ++i;
            joinNext = false;
        } else if (c == '"') {
            std::string text;
            for (++i; i < code.size() && code[i] != '"'; ++i) {
                if (code[i] != '\\') {
                    text += code[i];
                    continue;
                }
                const char escaped = code[++i];
                if (escaped == 'n')
                    text += '\n';
                else if (escaped == 't' || escaped == 'r')
                    text += ' ';
                else if (escaped == 'u') {
                    appendUtf8(text, static_cast<unsigned>(std::stoul(code.substr(i + 1, 4), nullptr, 16)));
                    i += 4;
                } else
                    text += escaped;
            }
            ++i;
            if (joinNext)
                literals.back().text += text;
            else
                literals.push_back({text, line});
            joinNext = true;
        } else {
            if (!std::isspace(static_cast<unsigned char>(c)))
                joinNext = false;
            ++i;
        }
        if (i == std::string::npos)
            break;
    }
    return literals;
}

// A window text begins with a capital letter (after a shortcut mark) and has more than one word.
bool isWindowText(const std::string& text)
{
    const std::size_t first = text.rfind('&', 0) == 0 ? 1 : 0;
    return first < text.size() && std::isupper(static_cast<unsigned char>(text[first]))
        && text.find(' ') != std::string::npos;
}

std::string collapseSpaces(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (space && (out.empty() || out.back() == ' '))
            continue;
        out += space ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// The parts of a text the manual must hold word for word: the text split where the
// program fills in a name or a number, and at its line breaks; shortcut marks dropped.
std::vector<std::string> fixedParts(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 1 < text.size() && std::isalnum(static_cast<unsigned char>(text[i + 1]))) {
            i += text[i + 1] == 'l' ? 2u : 1u;
            parts.emplace_back();
        } else if (c == '\n') {
            parts.emplace_back();
        } else if (c == '&' && i + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[i + 1]))) {
            continue;
        } else {
            parts.back() += c;
        }
    }
    std::vector<std::string> kept;
    for (const std::string& part : parts) {
        const std::string collapsed = collapseSpaces(part);
        const std::string trimmed = collapsed.substr(collapsed.rfind(' ', 0) == 0 ? 1 : 0);
        if (std::any_of(trimmed.begin(), trimmed.end(), [](unsigned char ch) { return std::isalpha(ch); }))
            kept.push_back(trimmed);
    }
    return kept;
}

// The manual's pages as a reader sees their text: tags dropped, entities decoded,
// white space collapsed.
std::string manualText()
{
    const std::map<std::string, std::string> entities = {{"amp", "&"},   {"lt", "<"},        {"gt", ">"},
                                                         {"quot", "\""}, {"#39", "'"},       {"apos", "'"},
                                                         {"nbsp", " "},  {"trade", "\u2122"}};
    std::string text;
    for (const auto& entry : fs::directory_iterator(kSource / "docs" / "manual")) {
        if (entry.path().extension() != ".html")
            continue;
        const std::string html = readWhole(entry.path());
        for (std::size_t i = 0; i < html.size(); ++i) {
            if (html[i] == '<') {
                i = html.find('>', i);
                text += ' ';
            } else if (html[i] == '&' && html.find(';', i) != std::string::npos) {
                const std::size_t end = html.find(';', i);
                const auto entity = entities.find(html.substr(i + 1, end - i - 1));
                text += entity != entities.end() ? entity->second : html.substr(i, end - i + 1);
                i = end;
            } else {
                text += html[i];
            }
        }
        text += ' ';
    }
    return collapseSpaces(text);
}

bool skipped(const fs::path& path)
{
    const fs::path relative = fs::relative(path, kSource);
    return std::find(std::begin(kSkippedFolders), std::end(kSkippedFolders), relative.begin()->string())
        != std::end(kSkippedFolders)
        || std::find(std::begin(kSkippedFiles), std::end(kSkippedFiles), path.filename().string())
        != std::end(kSkippedFiles);
}

TEST(Manual, HoldsEveryTextTheWindowsShow)
{
    const std::string manual = manualText();
    ASSERT_FALSE(manual.empty());
    std::vector<std::string> missing;
    std::size_t checked = 0;
    for (auto entry = fs::recursive_directory_iterator(kSource); entry != fs::recursive_directory_iterator(); ++entry) {
        if (skipped(entry->path())) {
            if (entry->is_directory())
                entry.disable_recursion_pending();
            continue;
        }
        const std::string extension = entry->path().extension().string();
        if (extension != ".cpp" && extension != ".h")
            continue;
        for (const Literal& literal : stringLiterals(readWhole(entry->path()))) {
            if (!isWindowText(literal.text))
                continue;
            for (const std::string& part : fixedParts(literal.text)) {
                ++checked;
                if (manual.find(part) == std::string::npos)
                    missing.push_back(fs::relative(entry->path(), kSource).string() + ":" + std::to_string(literal.line)
                                      + ": " + part);
            }
        }
    }
    EXPECT_GT(checked, 100u);
    std::ostringstream list;
    for (const std::string& text : missing)
        list << "\n  " << text;
    EXPECT_TRUE(missing.empty()) << missing.size() << " texts of the programs are not in docs/manual:" << list.str();
}

} // namespace
