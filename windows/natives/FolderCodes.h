// The folder codes of FolderInfo.getSpecialFolder0: pure, without Windows headers.
#pragma once

namespace qpk {

// Codes up to 1000: the shell folder number (CSIDL), per user or for all users; unlisted
// codes give the desktop (0).
inline int shellFolderNumber(int code, bool common) {
    struct Pair {
        int user, allUsers;
    };
    static const Pair kFolders[] = {
        {16, 25}, {11, 22}, {2, 23}, {7, 24}, {9, 9}, {20, 20}, {26, 35}, {5, 46}, {21, 45}, {6, 31}, {28, 28},
    };
    if (code < 1 || code > int(sizeof(kFolders) / sizeof(kFolders[0]))) return 0;
    return common ? kFolders[code - 1].allUsers : kFolders[code - 1].user;
}

enum class KnownFolder { Downloads, UserProgramFiles, UserProgramFilesCommon, Profile };

// Codes above 1000.
inline KnownFolder knownFolder(int code) {
    switch (code) {
        case 1001: return KnownFolder::Downloads;
        case 1002: return KnownFolder::UserProgramFiles;
        case 1003: return KnownFolder::UserProgramFilesCommon;
        default: return KnownFolder::Profile;
    }
}

}  // namespace qpk
