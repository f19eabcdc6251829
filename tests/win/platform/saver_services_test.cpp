// The password check and the running flag against Wine's real registry and DLL loading, with
// our fake password provider (PASSWORD.CPL) installed into the system folder, the only place
// the check loads it from: which stored values count as a password, when the provider is
// loaded and asked, that a provider without its entry point counts as none, and that the
// cursor count comes back.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "platform/saver_services.h"
#include "support/registry_cleanup.h"

namespace {

std::string BesideThisTest(const char* name) {
  char path[MAX_PATH] = {};
  std::string exe(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
  return exe.substr(0, exe.find_last_of("\\/") + 1) + name;
}

// The provider and its files live in the system folder.
std::string InSystemFolder(const char* name) {
  char folder[MAX_PATH] = {};
  return std::string(folder, ::GetSystemDirectoryA(folder, MAX_PATH)) + "\\" + name;
}

// Puts the provider built as `source` (beside this test) into the system folder.
void InstallProvider(const char* source) {
  ASSERT_TRUE(::CopyFileA(BesideThisTest(source).c_str(), InSystemFolder("PASSWORD.CPL").c_str(), FALSE))
      << ::GetLastError();
}

std::string ReadProviderLog() {
  std::ifstream log(InSystemFolder("password.log"));
  std::stringstream text;
  text << log.rdbuf();
  return text.str();
}

void SetProviderAnswer(const char* answer) { std::ofstream(InSystemFolder("password.answer")) << answer; }

// The cursor display count without changing it.
int CursorCount() {
  ::ShowCursor(TRUE);
  return ::ShowCursor(FALSE);
}

class PasswordTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InstallProvider("PASSWORD.CPL"); }
  static void TearDownTestSuite() { ::DeleteFileA(InSystemFolder("PASSWORD.CPL").c_str()); }

  void SetUp() override {
    ::DeleteFileA(InSystemFolder("password.log").c_str());
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    desktop_.Reset(key);
  }
  void TearDown() override { ::DeleteFileA(InSystemFolder("password.answer").c_str()); }
  void ClearValue() { passwordValue_.Clean(); }
  void StoreValue(DWORD type, const std::vector<BYTE>& data) {
    ASSERT_EQ(::RegSetValueExA(desktop_.Get(), "ScreenSaveUsePassword", 0, type, data.data(),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }

 private:
  RegistryCleanup passwordValue_{HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword"};
  UniqueRegistryKey desktop_;
};

struct ValueCase {
  const char* name;
  bool present;
  DWORD type;
  std::vector<BYTE> data;
  bool counts;  // a password is set: the provider is asked
};

TEST_F(PasswordTest, StoredValueDecidesWhetherTheProviderIsAsked) {
  const ValueCase cases[] = {
      {"no value", false, REG_DWORD, {}, false},
      {"dword 0", true, REG_DWORD, {0, 0, 0, 0}, false},
      {"dword 1", true, REG_DWORD, {1, 0, 0, 0}, true},
      {"text \"0\" reads as 0x30", true, REG_SZ, {'0', 0}, true},
      {"text \"\" reads as 0", true, REG_SZ, {0}, false},
      {"eight bytes are no number", true, REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}, false},
      {"one byte", true, REG_BINARY, {7}, true},
  };
  SetProviderAnswer("no");
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA(InSystemFolder("password.log").c_str());
    ClearValue();
    if (c.present) StoreValue(c.type, c.data);
    const int before = CursorCount();
    const bool mayClose = VerifySaverPassword(nullptr);
    EXPECT_EQ(CursorCount(), before);
    EXPECT_EQ(mayClose, !c.counts);
    const std::string log = ReadProviderLog();
    EXPECT_EQ(log.find("asked") != std::string::npos, c.counts) << log;
    // A saver without a password never loads the provider at all.
    if (!c.counts) {
      EXPECT_EQ(log.find("loaded"), std::string::npos) << log;
    }
  }
}

TEST_F(PasswordTest, ProviderAnswerDecides) {
  StoreValue(REG_DWORD, {1, 0, 0, 0});
  SetProviderAnswer("yes");
  EXPECT_TRUE(VerifySaverPassword(nullptr));
  SetProviderAnswer("no");
  EXPECT_FALSE(VerifySaverPassword(nullptr));
}

TEST_F(PasswordTest, ProviderWithoutItsEntryPointCountsAsNone) {
  InstallProvider("bare\\PASSWORD.CPL");
  StoreValue(REG_DWORD, {1, 0, 0, 0});
  SetProviderAnswer("no");
  const int before = CursorCount();
  EXPECT_TRUE(VerifySaverPassword(nullptr));
  EXPECT_EQ(CursorCount(), before);
  EXPECT_EQ(ReadProviderLog(), "loaded\n");  // loaded and looked into, never asked
  InstallProvider("PASSWORD.CPL");
}

TEST(RunningFlagTest, OnAndOffReachTheSystem) {
  BOOL running = FALSE;
  SaverRunningOn();
  ::SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  EXPECT_TRUE(running);
  SaverRunningOff();
  ::SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  EXPECT_FALSE(running);
}

}  // namespace
