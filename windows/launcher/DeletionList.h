// The list file of the delayed-deletion role, read into lines and parsed without touching
// the file system.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace qpk {

// Longest line the list reader takes; the rest of a longer line is read as the next line.
constexpr size_t kListLineUnits = 8192;

// The lines of a UTF-16LE list file. A byte-order mark at the start is skipped, lines end
// at LF, and every trailing CR and LF is removed from a line. Text after the last LF is a
// last line; an odd final byte is ignored.
std::vector<std::wstring> listLines(const std::string& bytes);

struct DeletionList {
    // False when the control line is missing or the list ends before the second text's
    // "EOSMARKER" line; then no path is taken from it.
    bool complete = false;
    std::wstring semaphore;  // empty: nothing to wait for
    std::wstring control;
    std::wstring question;  // lines joined with "\n"
    std::wstring warning;
    std::vector<std::wstring> files;
    std::vector<std::wstring> directories;

    bool rebootWhenDone() const { return control == L"force_reboot"; }
    bool deletionAtBootAllowed() const { return rebootWhenDone() || control == L"reboot_deletion"; }
};

// Sections are counted from 0 and every empty line outside the two texts moves to the next
// one. Section 0 is the semaphore line, which (empty or not) ends it; the first non-empty
// line of section 1 is the control line, followed by the question and warning texts, each
// ended by a line beginning with "EOSMARKER", after which section 2 holds file paths and
// every later section directory paths.
DeletionList parseDeletionList(const std::vector<std::wstring>& lines);

// A path inside a launcher's private temporary directory ("cvo....tmp_dir...").
bool isPrivateTempPath(const std::wstring& path);

}  // namespace qpk
