#include "config/atomic_file.h"

#include "config/atomic_file_platform.h"

#include <cerrno>
#include <memory>
#include <random>
#include <system_error>

namespace {

std::string randomSuffix()
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix;
    auto bits = generator();
    for (int i = 0; i < 12; ++i, bits >>= 4)
        suffix += kHex[bits & 0xF];
    return suffix;
}

std::string temporaryPrefix(const std::filesystem::path& target)
{
    return "." + target.filename().string() + ".tmp-";
}

// The process id in a temporary's name ("<prefix><pid>-<random>"); 0 when there is none.
std::uint64_t writerOf(const std::string& name, const std::string& prefix)
{
    std::uint64_t pid = 0;
    for (std::size_t at = prefix.size(); at < name.size() && name[at] != '-'; ++at) {
        if (name[at] < '0' || name[at] > '9' || pid > 100000000)
            return 0;
        pid = pid * 10 + static_cast<std::uint64_t>(name[at] - '0');
    }
    return pid;
}

template <typename Remove> void forEachTemporary(const std::filesystem::path& file, Remove shouldRemove)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const std::string prefix = temporaryPrefix(file);
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) == 0 && shouldRemove(name, prefix)) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

namespace atomic_file_detail {

std::filesystem::path temporaryName(const std::filesystem::path& target)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    return folder / (temporaryPrefix(target) + std::to_string(currentProcessId()) + "-" + randomSuffix());
}

std::string tooLargeText(std::uint64_t maxBytes)
{
    return "larger than the " + std::to_string(maxBytes) + " bytes such a file may hold";
}

} // namespace atomic_file_detail

Result<std::string> readWholeFile(const std::filesystem::path& file, std::uint64_t maxBytes)
{
    std::string why;
    const std::unique_ptr<std::FILE, FileCloser> stream(openRegularFile(file, maxBytes, why));
    if (!stream)
        return systemFailure(why);
    std::string content;
    auto buffer = std::make_unique<char[]>(65536);
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(buffer.get(), 1, 65536, stream.get());
        content.append(buffer.get(), got);
        // A file that grows while it is read is held to the same limit.
        if (content.size() > maxBytes)
            return systemFailure(atomic_file_detail::tooLargeText(maxBytes));
        if (got == 0 || std::feof(stream.get()) || std::ferror(stream.get()))
            break;
    }
    if (std::ferror(stream.get()))
        return systemFailure(errno != 0 ? std::generic_category().message(errno) : std::string("read error"));
    return content;
}

std::filesystem::path resolveLinks(const std::filesystem::path& file)
{
    constexpr int kMaxLinks = 40; // as the kernel allows
    std::filesystem::path current = file;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(current, error))
            return current;
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error)
            return current;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return file;
}

Result<> replaceFileAtomically(const std::filesystem::path& file, std::string_view content)
{
    FileReplacement replacement(file);
    if (!replacement.write(content) || !replacement.commit())
        return systemFailure(replacement.error());
    return {};
}

void removeLeftoverTemporaries(const std::filesystem::path& file)
{
    forEachTemporary(file, [](const std::string&, const std::string&) { return true; });
}

void removeTemporariesOfEndedWriters(const std::filesystem::path& file)
{
    const std::uint64_t self = atomic_file_detail::currentProcessId();
    forEachTemporary(file, [self](const std::string& name, const std::string& prefix) {
        const std::uint64_t writer = writerOf(name, prefix);
        return writer > 0 && writer != self && atomic_file_detail::processHasEnded(writer);
    });
}
