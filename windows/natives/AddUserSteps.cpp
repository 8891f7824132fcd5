#include "natives/AddUserSteps.h"

#include <vector>

#include "common/Format.h"
#include "common/Owned.h"

namespace qpk {

namespace {

constexpr DWORD kNameChars = 8192;
constexpr DWORD kSidBytes = 8192;

bool sidText(const NetAccountFunctions& f, PSID sid, std::wstring& out) {
    wchar_t* text = nullptr;
    if (!f.convertSid(sid, &text)) return false;
    UniqueLocalMemory owned(text);
    out = text;
    return true;
}

}  // namespace

std::wstring addUserSteps(const NetAccountFunctions& f, const NewUser& user) {
    bool created = false;
    std::wstring answer;
    if (user.group != nullptr) {
        if (user.createGroup) {
            LOCALGROUP_INFO_1 info{const_cast<wchar_t*>(user.group), const_cast<wchar_t*>(user.groupComment)};
            NET_API_STATUS status = f.groupAdd(nullptr, 1, reinterpret_cast<BYTE*>(&info), nullptr);
            bool exists = status == ERROR_ALIAS_EXISTS || status == NERR_GroupExists;
            if (status == NERR_Success) {
                created = true;
            } else if (!exists || user.failIfGroupExists) {
                answer = formatWide(L"%d %d", 1, static_cast<int>(status));
            }
        } else {
            BYTE* info = nullptr;
            NET_API_STATUS status = f.groupGetInfo(nullptr, user.group, 1, &info);
            if (status != NERR_Success) {
                answer = formatWide(L"%d %d", 6, static_cast<int>(status));
            } else {
                f.bufferFree(info);
            }
        }
    }
    BYTE* readBack = nullptr;
    // Without a name there is no user to add (and Wine's NetUserAdd crashes on it): reported
    // as the invalid name parameter of step 2.
    if (answer.empty() && user.name == nullptr) {
        answer = formatWide(L"%d %d %d", 2, ERROR_INVALID_PARAMETER, USER_NAME_PARMNUM);
    }
    if (answer.empty()) {
        USER_INFO_1 info{};
        info.usri1_name = const_cast<wchar_t*>(user.name);
        // No password is an empty one (Wine's NetUserAdd crashes on a null one).
        info.usri1_password = const_cast<wchar_t*>(user.password != nullptr ? user.password : L"");
        info.usri1_priv = USER_PRIV_USER;
        info.usri1_comment = const_cast<wchar_t*>(user.comment);
        info.usri1_flags = UF_SCRIPT;
        DWORD badParameter = 0;
        NET_API_STATUS status = f.userAdd(nullptr, 1, reinterpret_cast<BYTE*>(&info), &badParameter);
        if (status != NERR_Success) {
            answer = formatWide(L"%d %d %d", 2, static_cast<int>(status), static_cast<int>(badParameter));
        } else if ((status = f.userGetInfo(nullptr, user.name, 23, &readBack)) != NERR_Success) {
            readBack = nullptr;
            answer = formatWide(L"%d %d", 3, static_cast<int>(status));
        }
    }
    PSID userSid = readBack != nullptr ? reinterpret_cast<USER_INFO_23*>(readBack)->usri23_user_sid : nullptr;
    if (answer.empty() && user.group != nullptr) {
        LOCALGROUP_MEMBERS_INFO_0 member{userSid};
        NET_API_STATUS status = f.addMembers(nullptr, user.group, 0, reinterpret_cast<BYTE*>(&member), 1);
        if (status != NERR_Success && status != ERROR_MEMBER_IN_ALIAS) {
            answer = formatWide(L"%d %d", 4, static_cast<int>(status));
        }
    }
    if (answer.empty()) {
        if (!sidText(f, userSid, answer)) {
            answer = formatWide(L"%d", 5);
        } else if (user.group != nullptr) {
            std::vector<unsigned char> groupSid(kSidBytes);
            std::vector<wchar_t> domain(kNameChars);
            DWORD sidBytes = kSidBytes, domainChars = kNameChars;
            SID_NAME_USE use;
            std::wstring groupText;
            if (f.lookupAccountName(nullptr, user.group, groupSid.data(), &sidBytes, domain.data(), &domainChars,
                                    &use) &&
                sidText(f, groupSid.data(), groupText)) {
                answer += L" " + groupText + (created ? L" true" : L" false");
            }
        }
    }
    if (readBack != nullptr) f.bufferFree(readBack);
    return answer;
}

}  // namespace qpk
