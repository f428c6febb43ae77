// Key files and what only POSIX systems offer a test: permission bits and a file size limit.

#include "config/key_file.h"

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include <sys/stat.h>

namespace {

class KeyFilePosix : public ::testing::Test {
protected:
    auto entriesInDir() const { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); }

    TempDir dir;
    const std::filesystem::path file = dir / "data.txt";
};

TEST_F(KeyFilePosix, FileOfAnotherKindKeepsItsContentAndPermissions)
{
    writeFile(file, "\xEF\xBB\xBFshopping list\nmilk\n\nbread");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(keyfile::writeValue(file, "PARAMETERS", "VERSION", "1.00"));
    EXPECT_EQ(readFile(file), "\xEF\xBB\xBFshopping list\r\nmilk\r\n\r\nbread\r\n[PARAMETERS]\r\nVERSION=1.00\r\n");
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(KeyFilePosix, WriteCutShortLeavesTheFileAsItWas)
{
    const std::string original = "[DATA]\r\nA=1\r\n";
    writeFile(file, original);
    // A file size limit makes the write itself fail part way, even for root.
    bool written = true;
    {
        FileSizeLimit full(64);
        written = static_cast<bool>(keyfile::writeValue(file, "DATA", "B", std::string(200, 'x')));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(file), original);
    EXPECT_EQ(entriesInDir(), 1) << "the temporary file is removed";
}

} // namespace
