#include "config/registry_file_store.h"

#include "config/atomic_file.h"
#include "config/registry_file.h"

#include <cerrno>
#include <functional>
#include <optional>
#include <system_error>
#include <vector>

namespace {

using Snapshot = std::shared_ptr<const RegistryFile>;

// No file and no link (not even a dangling one) at the path.
bool missing(const std::filesystem::path& file)
{
    std::error_code error;
    return std::filesystem::symlink_status(file, error).type() == std::filesystem::file_type::not_found;
}

std::string fullKeyPath(std::string_view storePath)
{
    return joinKeyPath(kBaseKeyPath, storePath);
}

// Reads and parses the file as it is now; nothing, with the reason, when it cannot be used.
std::optional<RegistryFile> readStoreFile(const std::filesystem::path& file, std::string& error)
{
    const Result<std::string> bytes = readWholeFile(file, kSettingsFileLimit);
    if (!bytes) {
        error = file.string() + ": " + (missing(file) ? "the file does not exist" : bytes.failure().reason);
        return std::nullopt;
    }
    std::string reason;
    auto document = RegistryFile::parse(*bytes, &reason);
    if (!document)
        error = file.string() + ": " + reason;
    return document;
}

// One write: under the file's lock, re-reads the current file (an empty document when it
// does not exist and `createMissing`), applies `change`, and replaces the file only when
// the result parses again and `holds` confirms the change is there. A change that leaves
// the document as it was writes nothing. Returns the document as it now stands.
std::optional<RegistryFile> changeStoreFile(const std::filesystem::path& file, bool createMissing,
                                            const std::function<bool(RegistryFile&, std::string&)>& change,
                                            const std::function<bool(const RegistryFile&)>& holds, std::string& error)
{
    // Writers reaching the file through different links must share one lock and one set
    // of temporaries, or one's clean-up deletes another's temporary file.
    const std::filesystem::path target = resolveLinks(file);
    // Nothing beside a device or a FIFO: not even its lock file.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(target, statusError);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        error = file.string() + ": " + readWholeFile(target, kSettingsFileLimit).failure().reason;
        return std::nullopt;
    }
    FileLock lock(target);
    if (!lock.locked()) {
        error = file.string() + ": the lock cannot be taken (" + lock.error() + ")";
        return std::nullopt;
    }
    removeLeftoverTemporaries(target);
    const bool exists = !missing(target);
    std::optional<RegistryFile> document =
        (createMissing && !exists) ? RegistryFile::empty() : readStoreFile(target, error);
    if (!document)
        return std::nullopt;
    const std::string before = exists ? document->serialize() : std::string();
    if (!change(*document, error))
        return std::nullopt;

    const std::string content = document->serialize();
    auto written = RegistryFile::parse(content);
    if (!written || !holds(*written)) {
        error = file.string() + ": the change cannot be expressed in a registry file";
        return std::nullopt;
    }
    if (Result<> replaced = content == before ? Result<>() : replaceFileAtomically(target, content); !replaced) {
        error = file.string() + ": the file cannot be replaced (" + replaced.failure().reason + ")";
        return std::nullopt;
    }
    return written;
}

class RegistryFileKey final : public RegistryKey {
public:
    RegistryFileKey(Snapshot snapshot, std::filesystem::path file, std::string storePath,
                    std::shared_ptr<StoreErrorSlot> lastError)
        : snapshot_(std::move(snapshot))
        , file_(std::move(file))
        , lastError_(std::move(lastError))
        , storePath_(std::move(storePath))
        , subKeys_(snapshot_->subKeyNames(fullKeyPath(storePath_)))
    {
    }

    ValueRead queryValue(std::string_view name, std::span<char> buffer, std::uint32_t& byteCount) const override
    {
        const std::optional<std::string> bytes = snapshot_->valueBytes(fullKeyPath(storePath_), name);
        if (!bytes)
            return ValueRead::NotFound;
        byteCount = static_cast<std::uint32_t>(bytes->size());
        if (bytes->size() > buffer.size())
            return ValueRead::MoreData;
        std::copy(bytes->begin(), bytes->end(), buffer.begin());
        return ValueRead::Ok;
    }

    bool setString(std::string_view name, std::string_view data) override
    {
        const std::string keyPath = fullKeyPath(storePath_);
        std::string expected(data);
        expected += '\0';
        std::string error;
        auto written = changeStoreFile(
            file_, false,
            [&](RegistryFile& document, std::string& reason) {
                if (!document.hasKey(keyPath)) {
                    reason = file_.string() + ": the key \"" + keyPath + "\" no longer exists";
                    return false;
                }
                document.setString(keyPath, name, data);
                return true;
            },
            [&](const RegistryFile& document) { return document.valueBytes(keyPath, name) == expected; }, error);
        lastError_->set(error);
        if (!written)
            return false;
        // This key reads its own writes; keys opened earlier keep their snapshot.
        snapshot_ = std::make_shared<const RegistryFile>(std::move(*written));
        subKeys_ = snapshot_->subKeyNames(keyPath);
        return true;
    }

    std::uint32_t subKeyCount() const override { return static_cast<std::uint32_t>(subKeys_.size()); }

    bool subKeyName(std::uint32_t index, std::string& name) const override
    {
        if (index >= subKeys_.size())
            return false;
        name = subKeys_[index];
        return true;
    }

    std::unique_ptr<RegistryKey> openSubKey(std::string_view name) const override
    {
        std::string childPath = joinKeyPath(storePath_, name);
        if (!snapshot_->hasKey(fullKeyPath(childPath)))
            return nullptr;
        return std::make_unique<RegistryFileKey>(snapshot_, file_, std::move(childPath), lastError_);
    }

    std::string path() const override { return storePath_; }

private:
    Snapshot snapshot_;
    std::filesystem::path file_;
    std::shared_ptr<StoreErrorSlot> lastError_;
    std::string storePath_;
    std::vector<std::string> subKeys_;
};

} // namespace

std::string joinKeyPath(std::string_view parent, std::string_view child)
{
    if (parent.empty())
        return std::string(child);
    if (child.empty())
        return std::string(parent);
    std::string path(parent);
    path += '\\';
    path += child;
    return path;
}

RegistryFileStore::RegistryFileStore(std::filesystem::path file) : file_(std::move(file))
{
}

std::string RegistryFileStore::lastError() const
{
    return lastError_->get();
}

std::unique_ptr<RegistryKey> RegistryFileStore::openKey(std::string_view path)
{
    std::string error;
    std::optional<RegistryFile> document = readStoreFile(file_, error);
    lastError_->set(error);
    if (!document || !document->hasKey(fullKeyPath(path)))
        return nullptr;
    return std::make_unique<RegistryFileKey>(std::make_shared<const RegistryFile>(std::move(*document)), file_,
                                             std::string(path), lastError_);
}

std::unique_ptr<RegistryKey> RegistryFileStore::createKey(std::string_view path)
{
    lastError_->set("");
    const std::string keyPath = fullKeyPath(path);
    std::string error;
    if (file_.has_parent_path()) {
        std::error_code folderError;
        std::filesystem::create_directories(file_.parent_path(), folderError);
        if (folderError) {
            lastError_->set(file_.parent_path().string() + ": the folder cannot be created (" + folderError.message()
                            + ")");
            return nullptr;
        }
    }
    auto written = changeStoreFile(
        file_, true,
        [&](RegistryFile& document, std::string&) {
            document.createKey(keyPath);
            return true;
        },
        [&](const RegistryFile& document) { return document.hasKey(keyPath); }, error);
    if (!written) {
        lastError_->set(error);
        return nullptr;
    }
    return std::make_unique<RegistryFileKey>(std::make_shared<const RegistryFile>(std::move(*written)), file_,
                                             std::string(path), lastError_);
}
