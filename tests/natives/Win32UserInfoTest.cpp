// The account natives from real Java against what Wine implements. Nothing can be checked
// from outside here: Wine's net.exe has no "user" command and its netapi32 keeps added users
// inside the adding process. Wine never gets past step 3 of adding a user, so the steps are
// also run over stand-in functions.
#include <gtest/gtest.h>

#include <cwchar>

#include "NativeDriver.h"
#include "ScratchDir.h"
#include "natives/AddUserSteps.h"

namespace {

struct Outcomes {
  NET_API_STATUS groupAdd = 0, groupGetInfo = 0, userAdd = 0, userGetInfo = 0, addMembers = 0;
  DWORD badParameter = 0;
  BOOL convert = TRUE, lookupGroup = TRUE;
  int userAdds = 0;
} outcome;
BYTE groupInfo[16];
BYTE userSid[16];
USER_INFO_23 userInfo{nullptr, nullptr, nullptr, 0, userSid};

NET_API_STATUS WINAPI groupAdd(const wchar_t*, DWORD, BYTE*, DWORD*) { return outcome.groupAdd; }
NET_API_STATUS WINAPI groupGetInfo(const wchar_t*, const wchar_t*, DWORD, BYTE** info) {
  *info = groupInfo;
  return outcome.groupGetInfo;
}
NET_API_STATUS WINAPI bufferFree(void*) { return 0; }
NET_API_STATUS WINAPI userAdd(const wchar_t*, DWORD, BYTE*, DWORD* badParameter) {
  ++outcome.userAdds;
  *badParameter = outcome.badParameter;
  return outcome.userAdd;
}
NET_API_STATUS WINAPI userGetInfo(const wchar_t*, const wchar_t*, DWORD, BYTE** info) {
  *info = reinterpret_cast<BYTE*>(&userInfo);
  return outcome.userGetInfo;
}
NET_API_STATUS WINAPI addMembers(const wchar_t*, const wchar_t*, DWORD, BYTE* members, DWORD) {
  EXPECT_EQ(reinterpret_cast<LOCALGROUP_MEMBERS_INFO_0*>(members)->lgrmi0_sid, userSid);
  return outcome.addMembers;
}
BOOL WINAPI convertSid(PSID sid, wchar_t** text) {
  const wchar_t* value = sid == userSid ? L"S-1-5-21-7-1001" : L"S-1-5-21-7-1002";
  *text = static_cast<wchar_t*>(LocalAlloc(LMEM_FIXED, (std::wcslen(value) + 1) * sizeof(wchar_t)));
  std::wcscpy(*text, value);
  return outcome.convert;
}
BOOL WINAPI lookupGroup(const wchar_t*, const wchar_t*, PSID, DWORD*, wchar_t*, DWORD*, SID_NAME_USE*) {
  return outcome.lookupGroup;
}

TEST(AddUserSteps, AnswerOfEachStep) {
  const qpk::NetAccountFunctions f{groupAdd, groupGetInfo, bufferFree, userAdd, userGetInfo, addMembers, convertSid,
                                   lookupGroup};
  const wchar_t* group = L"g";
  const struct {
    const wchar_t* name;
    const wchar_t* group;
    bool create, failIfExists;
    Outcomes set;
    const wchar_t* answer;
    int userAdds;
  } cases[] = {
      {L"u", nullptr, false, false, {}, L"S-1-5-21-7-1001", 1},
      {L"u", group, true, false, {}, L"S-1-5-21-7-1001 S-1-5-21-7-1002 true", 1},
      {L"u", group, true, false, {.groupAdd = 1379, .addMembers = 1378}, L"S-1-5-21-7-1001 S-1-5-21-7-1002 false", 1},
      {L"u", group, true, true, {.groupAdd = 2223}, L"1 2223", 0},
      {L"u", group, true, false, {.groupAdd = 5}, L"1 5", 0},
      {L"u", group, false, false, {.groupGetInfo = 2220}, L"6 2220", 0},
      {L"u", group, false, false, {.userAdd = 2224, .badParameter = 3}, L"2 2224 3", 1},
      {L"u", nullptr, false, false, {.userGetInfo = 2221}, L"3 2221", 1},
      {L"u", group, false, false, {.addMembers = 5}, L"4 5", 1},
      {L"u", nullptr, false, false, {.convert = FALSE}, L"5", 1},
      {L"u", group, false, false, {.lookupGroup = FALSE}, L"S-1-5-21-7-1001", 1},
      {nullptr, nullptr, false, false, {}, L"2 87 1", 0},
  };
  for (const auto& c : cases) {
    outcome = c.set;
    qpk::NewUser user{c.name, L"pw", nullptr, c.group, nullptr, c.create, c.failIfExists};
    EXPECT_EQ(qpk::addUserSteps(f, user), c.answer);
    EXPECT_EQ(outcome.userAdds, c.userAdds) << "for answer " << testing::PrintToString(std::wstring(c.answer));
  }
}

TEST(Win32UserInfoNatives, DriverCases) {
  qpktest::ScratchDir scratch("qpk-accounts");
  ASSERT_TRUE(scratch.valid());
  qpknatives::DriverRun run = qpknatives::runDriver("Win32UserInfoDriver", {scratch.path()}, 240000);
  qpknatives::expectAllPassed(run, 22);
}

}  // namespace
