// The Windows host against the system it runs on (Wine in this project's
// runs). Children are copies of a small test program under unique names.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/host.h"
#include "platform/text.h"
#include "platform/win32/host_internal.h"
#include "platform/win32/wide.h"

namespace ostrand {
namespace {

std::wstring ChildProgram() {
  std::wstring path = GbkToWide(OSTRAND_TEST_CHILD);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::string UniqueStem(const std::string& stem) {
  return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount() % 100000);
}

// A copy of the child program under the GBK file name `name`, running.
class NamedChild {
 public:
  explicit NamedChild(const std::string& name, const std::string& arguments = "") {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + GbkToWide(name);
    EXPECT_TRUE(CopyFileW(ChildProgram().c_str(), path_.c_str(), FALSE))
        << "copy to " << name << " failed: " << GetLastError();
    std::wstring commandLine = L"\"" + path_ + L"\" " + GbkToWide(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    EXPECT_TRUE(CreateProcessW(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &info_));
    CloseHandle(info_.hThread);
  }
  ~NamedChild() {
    if (info_.hProcess != nullptr) {
      TerminateProcess(info_.hProcess, 9);
      WaitForSingleObject(info_.hProcess, 5000);
      CloseHandle(info_.hProcess);
    }
    DeleteFileW(path_.c_str());
  }
  std::int32_t pid() const { return static_cast<std::int32_t>(info_.dwProcessId); }
  // The exit code once the child has ended within the time, or -1.
  long ExitCodeWithin(DWORD milliseconds) const {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
      return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  std::wstring path_;
  PROCESS_INFORMATION info_{};
};

const ProcessEntry* FindPid(const std::vector<ProcessEntry>& processes, std::int32_t pid) {
  for (const auto& entry : processes) {
    if (entry.pid == pid)
      return &entry;
  }
  return nullptr;
}

TEST(Win32Processes, ListsAChildUnderItsExecutableName) {
  // 测试 in the name: it arrives as GBK whatever the system code page is.
  const std::string name = UniqueStem("\xB2\xE2\xCA\xD4-child") + ".exe";
  NamedChild child(name);
  const auto processes = ListProcesses();
  const ProcessEntry* entry = FindPid(processes, child.pid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->name, name);
  EXPECT_EQ(GbkToUtf8(entry->name).substr(0, 6), "测试");
  EXPECT_FALSE(QueryProcessName(child.pid()).has_value());
}

TEST(Win32Processes, TerminatesAChildByNameIgnoringCase) {
  const std::string name = UniqueStem("Ostrand-Victim") + ".exe";
  NamedChild child(name);
  std::string shouted = name;
  std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  EXPECT_TRUE(TerminateProcessByName(shouted));
  EXPECT_EQ(child.ExitCodeWithin(5000), 0);
}

TEST(Win32Processes, TerminatesTheOwnerOfAWindowWithThatTitle) {
  const std::string title = UniqueStem("ostrand window title");
  NamedChild child(UniqueStem("windowed") + ".exe", "window \"" + title + "\"");
  bool shown = false;
  for (int i = 0; i < 200 && !shown; ++i) {
    shown = FindWindowW(nullptr, GbkToWide(title).c_str()) != nullptr;
    if (!shown) {
      if (child.ExitCodeWithin(10) >= 0)
        GTEST_SKIP() << "this session cannot create windows";
    }
  }
  ASSERT_TRUE(shown);
  EXPECT_TRUE(TerminateProcessByName(title));
  EXPECT_EQ(child.ExitCodeWithin(5000), 0);
}

TEST(Win32Processes, TerminatesNothingForAnUnknownOrEmptyName) {
  EXPECT_FALSE(TerminateProcessByName(UniqueStem("no-such-process") + ".exe"));
  EXPECT_FALSE(TerminateProcessByName(""));
}

TEST(Win32Processes, ComparesNamesOnWholeCharacters) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Chrome.EXE", "chrome.exe", true},
      {"chrome.exe", "chrome.ex", false},
      {"\xD6\xD0\xCE\xC4.exe", "\xD6\xD0\xCE\xC4.EXE", true},  // 中文.exe
      // A GBK trail byte in the ASCII letter range is no letter.
      {"\x81\x41", "\x81\x61", false},
      {"\xA3\xC1", "\xA3\xE1", true},  // full-width Ａ and ａ: one letter, two cases
      {"", "", true},
      {"", "a", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(host_win32::SameNameIgnoringCase(c.a, c.b), c.same) << c.a << " " << c.b;
}

TEST(Win32Host, NamesTheMissingFunctionAndItsLibrary) {
  EXPECT_EQ(GbkToUtf8(host_win32::MissingFunctionMessage("Iphlpapi.dll", "InternalGetTcpTable2")),
            "无法在 Iphlpapi.dll 中找到函数 InternalGetTcpTable2，程序将退出。");
}

TEST(Win32TextOrder, ComparesCharactersUnderTheUsersLocale) {
  // The test runs with LANG=C.UTF-8, under which Wine orders Chinese by code
  // point: 一 (U+4E00) before 啊 (U+554A), though GBK's bytes put 啊 first.
  const std::string yi = "\xD2\xBB";
  const std::string a = "\xB0\xA1";
  EXPECT_LT(CompareTextsForUser(yi, a), 0);
  EXPECT_GT(CompareTextsForUser(a, yi), 0);
  EXPECT_EQ(CompareTextsForUser(a, a), 0);
  // Letters before case, unlike byte order.
  EXPECT_LT(CompareTextsForUser("a", "B"), 0);
}

}  // namespace
}  // namespace ostrand
