#include "core/file_system.h"

#include <gtest/gtest.h>

namespace core {
namespace {

// A fresh directory with a Chinese name beside the test executable.
class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ExecutableDirectory() + "\\文件测试_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(CreateDirectoryLevel(dir_));
  }
  Text dir_;
};

TEST_F(FileSystemTest, WriteReadReplaceWithGbkNames) {
  const Text path = dir_ + "\\历史关键词库.txt";
  const std::string content("中文\r\n\0bin", 9);
  ASSERT_TRUE(WriteWholeFile(path, content));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, back));
  EXPECT_EQ(back, content);
  ASSERT_TRUE(ReplaceFileSafely(path, "新"));
  ASSERT_TRUE(ReadWholeFile(path, back));
  EXPECT_EQ(back, "新");
  EXPECT_FALSE(FileExists(path + ".tmp"));
  ASSERT_TRUE(WriteWholeFile(path, ""));
  ASSERT_TRUE(ReadWholeFile(path, back));
  EXPECT_EQ(back, "");
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(ReadWholeFile(path, back));
}

TEST_F(FileSystemTest, DirectoryLevelsAndFailures) {
  EXPECT_TRUE(CreateDirectoryLevel(dir_));  // existing is fine
  EXPECT_TRUE(DirectoryExists(dir_));
  // One level only: a missing parent fails, and so does a write into it.
  EXPECT_FALSE(CreateDirectoryLevel(dir_ + "\\无\\有"));
  EXPECT_FALSE(WriteWholeFile(dir_ + "\\无\\a.txt", "x"));
  EXPECT_FALSE(FileExists(dir_ + "\\无\\a.txt"));
  EXPECT_TRUE(CreateDirectoryLevel(dir_ + "\\pic"));
  EXPECT_TRUE(WriteWholeFile(dir_ + "/pic/a.jpg", "x"));  // "/" next to "\" works too
  EXPECT_TRUE(FileExists(dir_ + "\\pic\\a.jpg"));
}

}  // namespace
}  // namespace core
