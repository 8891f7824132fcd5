#include "AppManifest.h"

#include <cstring>

namespace qpkpack {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the value of the level attribute begins and ends; false without one.
bool levelValue(const std::string& xml, size_t& begin, size_t& end) {
    static const char kElement[] = "requestedExecutionLevel";
    for (size_t at = xml.find(kElement); at != std::string::npos; at = xml.find(kElement, at + 1)) {
        // The element's own name (perhaps after a namespace prefix), not a longer word.
        if (at == 0 || (xml[at - 1] != '<' && xml[at - 1] != ':')) continue;
        size_t tagEnd = xml.find('>', at);
        if (tagEnd == std::string::npos) return false;
        for (size_t p = at + std::strlen(kElement); p < tagEnd; ++p) {
            if (!isSpace(xml[p - 1]) || xml.compare(p, 5, "level") != 0) continue;
            size_t q = p + 5;
            while (q < tagEnd && isSpace(xml[q])) ++q;
            if (q >= tagEnd || xml[q] != '=') continue;
            ++q;
            while (q < tagEnd && isSpace(xml[q])) ++q;
            if (q >= tagEnd || (xml[q] != '"' && xml[q] != '\'')) continue;
            size_t close = xml.find(xml[q], q + 1);
            if (close == std::string::npos || close > tagEnd) return false;
            begin = q + 1;
            end = close;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string executionLevelOf(const std::string& xml) {
    size_t begin = 0, end = 0;
    return levelValue(xml, begin, end) ? xml.substr(begin, end - begin) : std::string();
}

bool withExecutionLevel(const std::string& xml, const std::string& level, std::string& out) {
    size_t begin = 0, end = 0;
    if (levelValue(xml, begin, end)) {
        out = xml.substr(0, begin) + level + xml.substr(end);
        return true;
    }
    size_t close = xml.rfind("</assembly>");
    if (close == std::string::npos) return false;
    out = xml.substr(0, close) +
          "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n"
          "    <security>\n"
          "      <requestedPrivileges>\n"
          "        <requestedExecutionLevel level=\"" + level + "\" uiAccess=\"false\"/>\n"
          "      </requestedPrivileges>\n"
          "    </security>\n"
          "  </trustInfo>\n" +
          xml.substr(close);
    return true;
}

}  // namespace qpkpack
