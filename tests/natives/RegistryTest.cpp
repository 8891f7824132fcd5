// The Registry natives from real Java through JNI. Before the run the test writes what Java
// cannot (strings without their NUL, large data, a class string, an access list); afterwards
// it reads what the natives wrote with Wine's reg.exe.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NativeDriver.h"
#include "ScratchDir.h"

namespace {

const char kBase[] = "Software\\qpk-tests\\registry";
const std::string kBaseFull = std::string("HKCU\\") + kBase;
const std::string kViewKey = "HKLM\\Software\\qpk-tests\\registry-view";

// Creates the key below the test's own, with the class string if one is given.
HKEY createKey(const std::wstring& subKey, const wchar_t* className = nullptr) {
  HKEY key = nullptr;
  std::wstring path = L"Software\\qpk-tests\\registry\\" + subKey;
  std::wstring keyClass = className != nullptr ? className : L"";
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, className != nullptr ? &keyClass[0] : nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << subKey;
  return key;
}

void writeRaw(const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
  HKEY key = createKey(L"raw");
  EXPECT_EQ(RegSetValueExW(key, name, 0, type, data.data(), DWORD(data.size())), ERROR_SUCCESS) << name;
  RegCloseKey(key);
}

// Everyone may read the key and delete it, but not write to it.
void lockKey(const std::wstring& subKey) {
  RegCloseKey(createKey(subKey + L"\\child"));
  HKEY key = createKey(subKey);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KRSD;;;WD)", SDDL_REVISION_1, &descriptor,
                                                                   nullptr));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
  LocalFree(descriptor);
  RegCloseKey(key);
}

// UTF-16LE bytes of ASCII text, with the NULs written as '|'.
std::vector<BYTE> units(const std::string& text) {
  std::vector<BYTE> bytes;
  for (char c : text) {
    bytes.push_back(BYTE(c == '|' ? 0 : c));
    bytes.push_back(0);
  }
  return bytes;
}

// reg.exe's line for the value, its columns separated by single spaces.
std::string query(const std::string& key, const std::string& value, const char* view = nullptr) {
  std::vector<std::string> args = {"query", key, "/v", value};
  if (view != nullptr) args.push_back(view);
  qpktest::RunResult r = qpknatives::runReg(args);
  if (r.exitCode != 0) return "reg query failed: " + r.stdoutText + r.stderrText;
  std::string text;
  for (char c : r.stdoutText) {
    bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (!blank) text += c;
    else if (!text.empty() && text.back() != ' ') text += ' ';
  }
  return text;
}

class RegistryNatives : public ::testing::Test {
 protected:
  void SetUp() override { removeKeys(); }
  void TearDown() override { removeKeys(); }
  static void removeKeys() {
    qpknatives::runReg({"delete", kBaseFull, "/f"});
    qpknatives::runReg({"delete", kViewKey, "/f", "/reg:32"});
  }
};

TEST_F(RegistryNatives, DriverCasesAndOutsideView) {
  writeRaw(L"sz without NUL", REG_SZ, units("abc"));
  writeRaw(L"sz with two NULs", REG_SZ, units("ab||"));
  std::vector<BYTE> odd = units("ab");
  odd.push_back('z');
  writeRaw(L"sz of odd size", REG_SZ, odd);
  writeRaw(L"multi without final NULs", REG_MULTI_SZ, units("a|bc"));
  writeRaw(L"multi with an empty string inside", REG_MULTI_SZ, units("a||b||"));
  writeRaw(L"multi of one unit", REG_MULTI_SZ, units("a"));
  writeRaw(L"large", REG_BINARY, std::vector<BYTE>(300000, 1));
  writeRaw(L"qword", REG_QWORD, std::vector<BYTE>(8, 1));
  writeRaw(L"short dword", REG_DWORD, std::vector<BYTE>(2, 1));
  RegCloseKey(createKey(L"classes\\long class", std::wstring(5000, L'c').c_str()));
  RegCloseKey(createKey(L"classes\\plain"));
  lockKey(L"locked");
  qpktest::ScratchDir scratch("qpk-registry");

  qpknatives::DriverRun run = qpknatives::runDriver("RegistryDriver", {kBase, scratch.path()});
  qpknatives::expectAllPassed(run, 54);

  // What the natives wrote, as Windows itself shows it.
  const std::string values = kBaseFull + "\\values";
  EXPECT_NE(query(values, "dword").find("REG_DWORD 0xfffffffe"), std::string::npos) << query(values, "dword");
  EXPECT_NE(query(values, "expand").find("REG_EXPAND_SZ %SystemRoot%\\x"), std::string::npos)
      << query(values, "expand");
  EXPECT_NE(query(values, "binary").find("REG_BINARY 0001FF00"), std::string::npos) << query(values, "binary");
  EXPECT_NE(query(values, "multi").find("REG_MULTI_SZ one\\0two words"), std::string::npos)
      << query(values, "multi");
  EXPECT_NE(query(kViewKey, "view", "/reg:32").find("REG_SZ 32"), std::string::npos)
      << query(kViewKey, "view", "/reg:32");
  EXPECT_EQ(qpknatives::runReg({"query", kViewKey, "/reg:64"}).exitCode, 1u) << "the 32-bit write is in the 64-bit view";
  EXPECT_EQ(qpknatives::runReg({"query", kBaseFull + "\\delete\\tree0"}).exitCode, 1u) << "deleted tree still there";
  EXPECT_TRUE(scratch.exists("saved.hiv"));
  const std::string longText = query(kBaseFull + "\\limits", "long");
  EXPECT_NE(longText.find("REG_SZ " + std::string(60000, 'x') + " "), std::string::npos) << longText.size();
  EXPECT_EQ(qpknatives::runReg({"query", kBaseFull + "\\locked\\child"}).exitCode, 0u) << "locked key deleted";
  // Names with a NUL inside reached nothing.
  const std::string victim = kBaseFull + "\\victim";
  EXPECT_NE(query(victim, "keep").find("REG_SZ kept"), std::string::npos) << query(victim, "keep");
  EXPECT_EQ(qpknatives::runReg({"query", victim, "/v", "v"}).exitCode, 1u);
  EXPECT_EQ(qpknatives::runReg({"query", victim + "\\child"}).exitCode, 0u);
  EXPECT_FALSE(scratch.exists("victim.hiv"));
}

}  // namespace
