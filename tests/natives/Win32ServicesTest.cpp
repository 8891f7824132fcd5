// The service natives from real Java against Wine's service control manager, with
// testservice as the service; afterwards the service must be gone from the registry.
#include <gtest/gtest.h>

#include <string>

#include "BuildPaths.h"
#include "NativeDriver.h"
#include "ScratchDir.h"
#include "natives/ServiceConfigText.h"

namespace {

TEST(ServiceConfigText, DependencyListPiecesAndCapacity) {
  using namespace std::string_literals;
  const struct {
    const wchar_t* input;
    std::wstring list;
  } cases[] = {{nullptr, L"\0\0"s}, {L"", L"\0\0"s},       {L",,", L"\0\0"s},
               {L"a", L"a\0\0"s},   {L",a,,b,", L"a\0b\0\0"s}, {L"Tcpip,Afd", L"Tcpip\0Afd\0\0"s}};
  for (const auto& c : cases) {
    std::wstring out;
    EXPECT_TRUE(qpk::buildDependencyList(c.input, 100, out));
    EXPECT_EQ(out, c.list) << (c.input ? c.input : L"(null)");
  }
  // Exactly at the capacity (piece, its NUL, the final NUL) fits; one more is refused.
  std::wstring out = L"kept";
  EXPECT_TRUE(qpk::buildDependencyList(std::wstring(8190, L'd').c_str(), 8192, out));
  EXPECT_EQ(out.size(), 8192u);
  out = L"kept";
  EXPECT_FALSE(qpk::buildDependencyList(std::wstring(8191, L'd').c_str(), 8192, out));
  EXPECT_EQ(out, L"kept");
}

TEST(ServiceConfigText, OnlyTheExactSystemSpellingsBecomeLocalSystem) {
  EXPECT_STREQ(qpk::serviceAccountName(L"NT AUTHORITY\\System"), L"LocalSystem");
  EXPECT_STREQ(qpk::serviceAccountName(L"NT AUTHORITY\\LocalSystem"), L"LocalSystem");
  EXPECT_STREQ(qpk::serviceAccountName(L"nt authority\\localsystem"), L"nt authority\\localsystem");
  EXPECT_EQ(qpk::serviceAccountName(nullptr), nullptr);
}

TEST(Win32ServicesNatives, DriverCasesAndRemoval) {
  qpktest::ScratchDir scratch("qpk-services");
  ASSERT_TRUE(scratch.valid());
  qpknatives::DriverRun run = qpknatives::runDriver(
      "Win32ServicesDriver", {qpktest::helperPath("testservice"), scratch.path("record.txt")}, 240000);
  qpknatives::expectAllPassed(run, 20);
  std::vector<std::string> names = qpknatives::infoValues(run, "service");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_NE(qpknatives::runReg({"query", "HKLM\\System\\CurrentControlSet\\Services\\" + names[0]}).exitCode, 0u)
      << "the service is still registered";
}

}  // namespace
