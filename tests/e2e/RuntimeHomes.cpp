#include "RuntimeHomes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "BuildPaths.h"
#include "SetupFixture.h"
#include "Utf8.h"

namespace qpke2e {

namespace {

void makeDirs(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryW(qpktest::widen(path.substr(0, at)).c_str(), nullptr);
    CreateDirectoryW(qpktest::widen(path).c_str(), nullptr);
}

void copy(const char* from, const std::string& to) {
    std::string source = qpktest::toWindowsPath(from);
    ASSERT_TRUE(CopyFileW(qpktest::widen(source).c_str(), qpktest::widen(to).c_str(), FALSE)) << source << " -> " << to;
}

}  // namespace

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

void makeRuntime(const std::string& home, const RuntimeLayout& layout) {
    std::string bin = home + "\\" + layout.binDir;
    makeDirs(bin);
    copy(QPK_STANDIN_JAVA, bin + "\\java.exe");
    if (layout.javaw) copy(QPK_STANDIN_JAVAW, bin + "\\javaw.exe");
    writeFile(bin + "\\standin.txt", "line=openjdk version \"" + layout.version + "\"\n");
    const char* library = layout.library == RuntimeLayout::Exporting      ? QPK_STANDIN_JVM64
                          : layout.library == RuntimeLayout::NotExporting ? QPK_STANDIN_JVM64_NOEXPORT
                                                                      : QPK_STANDIN_JVM32;
    for (const std::string& vm : layout.vmDirs) {
        makeDirs(bin + "\\" + vm);
        copy(library, bin + "\\" + vm + "\\jvm.dll");
    }
    if (layout.toolsJar) {
        makeDirs(home + "\\lib");
        writeFile(home + "\\lib\\tools.jar", "jar");
    }
}

}  // namespace qpke2e
