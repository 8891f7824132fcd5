#include "launcher/DeletionList.h"

namespace qpk {

namespace {

bool isMarker(const std::wstring& line) { return line.compare(0, 9, L"EOSMARKER") == 0; }

// Joins lines from `i` up to the next marker line and moves `i` past it; false when the
// lines end first.
bool readText(const std::vector<std::wstring>& lines, size_t& i, std::wstring& text) {
    for (bool first = true; i < lines.size(); first = false) {
        const std::wstring& line = lines[i++];
        if (isMarker(line)) return true;
        if (!first) text += L'\n';
        text += line;
    }
    return false;
}

}  // namespace

std::vector<std::wstring> listLines(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += wchar_t((unsigned char)bytes[i] | ((unsigned char)bytes[i + 1] << 8));

    std::vector<std::wstring> lines;
    size_t pos = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
    while (pos < text.size()) {
        size_t lf = text.find(L'\n', pos);
        size_t end = lf == std::wstring::npos ? text.size() : lf;
        size_t next = end + 1;
        // The cap counts the line's text, not the CRs that end it.
        while (end > pos && text[end - 1] == L'\r') --end;
        if (end - pos > kListLineUnits) {
            end = pos + kListLineUnits;
            next = end;
            while (end > pos && text[end - 1] == L'\r') --end;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = next;
    }
    return lines;
}

DeletionList parseDeletionList(const std::vector<std::wstring>& lines) {
    DeletionList list;
    size_t section = 0;
    for (size_t i = 0; i < lines.size();) {
        const std::wstring& line = lines[i++];
        if (section == 1 && !line.empty()) {
            list.control = line;
            if (!readText(lines, i, list.question) || !readText(lines, i, list.warning)) return DeletionList();
            list.complete = true;
            section = 2;
        } else if (line.empty() || section == 0) {
            if (section == 0) list.semaphore = line;
            ++section;
            // Paths before a control line would be deleted without knowing what is allowed.
            if (section == 2 && !list.complete) return DeletionList();
        } else if (section == 2) {
            list.files.push_back(line);
        } else {
            list.directories.push_back(line);
        }
    }
    if (!list.complete) return DeletionList();
    return list;
}

bool isPrivateTempPath(const std::wstring& path) {
    return path.find(L"cvo") != std::wstring::npos && path.find(L".tmp_dir") != std::wstring::npos;
}

}  // namespace qpk
