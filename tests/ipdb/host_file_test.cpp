#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ipdb/db_file.h"

namespace ostrand {
namespace {

namespace fs = std::filesystem;

class HostFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("ostrand-host-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }
  fs::path dir_;
};

TEST_F(HostFileTest, ReadsBytesExactly) {
  const std::string content("a\r\nb\0\x1A\xFF", 7);  // no text-mode translation
  const std::string path = Write("plain", content);
  std::string whole;
  ASSERT_TRUE(ReadWholeFile(path, whole));
  EXPECT_EQ(whole, content);
  DbFile file = OpenFileForReading(path);
  ASSERT_TRUE(file.IsOpen());
  unsigned char out[16];
  EXPECT_EQ(ReadFileBytes(file, out, 16), 7);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 7), content);
}

TEST_F(HostFileTest, DirectoryMissingAndEmptyPathsDoNotOpen) {
  for (const std::string& path : {dir_.string(), (dir_ / "missing").string(), std::string()}) {
    std::string error;
    EXPECT_FALSE(OpenFileForReading(path, &error).IsOpen()) << path;
    EXPECT_FALSE(error.empty()) << path;
    std::string content;
    EXPECT_FALSE(ReadWholeFile(path, content)) << path;
  }
}

TEST_F(HostFileTest, OthersMayWriteWhileItIsOpen) {
  const std::string path = Write("shared", "first");
  DbFile file = OpenFileForReading(path);
  ASSERT_TRUE(file.IsOpen());
  {
    std::ofstream writer(path, std::ios::binary | std::ios::app);
    ASSERT_TRUE(writer.is_open());
    writer << "second";
    ASSERT_TRUE(writer.good());
  }
  SeekFile(file, SeekOrigin::Start, 0);
  EXPECT_EQ(ReadFileText(file), "firstsecond");
}

}  // namespace
}  // namespace ostrand
