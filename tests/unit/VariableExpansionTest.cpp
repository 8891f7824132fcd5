#include <windows.h>

#include <gtest/gtest.h>

#include "VariableExpansion.h"

using namespace qpk;

namespace {

using Env = std::vector<std::pair<std::wstring, std::wstring>>;

ExpansionValues<std::wstring> values() {
    ExpansionValues<std::wstring> v;
    v.exeDir = L"C:\\app\\";
    v.tempDir = L"C:\\t\\cvo1.tmp_dir9";
    v.separator = L";";
    v.jvmHome = L"";
    v.tempRoot = L"C:\\t";
    return v;
}

std::wstring expand(std::wstring text, const Env& env = {}, int* replacements = nullptr) {
    int count = 0;
    expandWith(text, values(), env, [&](const std::wstring&, const std::wstring&, const std::wstring&) { ++count; });
    if (replacements) *replacements = count;
    return text;
}

}  // namespace

TEST(VariableExpansion, LauncherVariablesInAllThreeSpellings) {
    EXPECT_EQ(expand(L"%QUILLPACK_EXEDIR%lib.jar"), L"C:\\app\\lib.jar");
    EXPECT_EQ(expand(L"%QUILLPACK_EXEDIR%\\lib.jar"), L"C:\\app\\\\lib.jar");
    EXPECT_EQ(expand(L"%CORVO_TEMPDIR%|${launcher:sys.launcherTempDirectory}|${launcher:sys.tempDir}"),
              L"C:\\t\\cvo1.tmp_dir9|C:\\t\\cvo1.tmp_dir9|C:\\t");
    EXPECT_EQ(expand(L"a${CORVO_PATHLIST_SEPARATOR}b%QUILLPACK_PATHLIST_SEPARATOR%c"), L"a;b;c");
    EXPECT_EQ(expand(L"[${launcher:sys.jvmHome}]"), L"[]");
    EXPECT_EQ(expand(L"%corvo_exedir%"), L"%corvo_exedir%") << "names are case-sensitive";
}

TEST(VariableExpansion, EveryOccurrenceOnceAndTheValueIsNotSearchedAgain) {
    int n = 0;
    EXPECT_EQ(expand(L"${CORVO_EXEDIR}x${CORVO_EXEDIR}", {}, &n), L"C:\\app\\xC:\\app\\");
    EXPECT_EQ(n, 2);
    // A value that contains its own reference does not expand for ever: the pass resumes
    // after the value; only the second, upper-case pass of the same entry meets it again.
    EXPECT_EQ(expand(L"${Loop}", {{L"Loop", L"<${Loop}>"}}), L"<${Loop}>");
    EXPECT_EQ(expand(L"${LOOP}", {{L"LOOP", L"<${LOOP}>"}}), L"<<${LOOP}>>");
}

TEST(VariableExpansion, LaterPassesExpandWhatEarlierOnesInserted) {
    // An environment value referring to a launcher variable is not expanded (the launcher
    // variables come first), but one referring to a later environment entry is.
    EXPECT_EQ(expand(L"${A}", {{L"A", L"${B}%CORVO_EXEDIR%"}, {L"B", L"b"}}), L"b%CORVO_EXEDIR%");
}

TEST(VariableExpansion, EnvironmentNamesMatchAsWrittenOrInUpperCase) {
    Env env = {{L"Path", L"P"}};
    EXPECT_EQ(expand(L"${Path}|${PATH}|${path}", env), L"P|P|${path}");
    EXPECT_EQ(expand(L"${UNSET}", env), L"${UNSET}");
    // Entries such as "=C:=C:\dir" have an empty name.
    EXPECT_EQ(expand(L"[${}]", {{L"", L"C:=C:\\dir"}}), L"[C:=C:\\dir]");
}

TEST(VariableExpansion, NarrowFormBehavesTheSame) {
    ExpansionValues<std::string> v{"C:\\app\\", "T", ";", "C:\\jre\\bin\\..", "R"};
    std::string text = "${QUILLPACK_JVM_HOME}\\lib;${X}";
    expandWith(text, v, std::vector<std::pair<std::string, std::string>>{{"x", "1"}},
               [](const std::string&, const std::string&, const std::string&) {});
    EXPECT_EQ(text, "C:\\jre\\bin\\..\\lib;1");
}

TEST(VariableExpansion, EnvironmentBlockIsSplitAtTheFirstEquals) {
    const wchar_t block[] = L"=C:=C:\\x\0A=b=c\0NOEQUALS\0Z=\0";
    auto env = splitEnvironment(block);
    ASSERT_EQ(env.size(), 3u);
    EXPECT_EQ(env[0], (std::pair<std::wstring, std::wstring>(L"", L"C:=C:\\x")));
    EXPECT_EQ(env[1], (std::pair<std::wstring, std::wstring>(L"A", L"b=c")));
    EXPECT_EQ(env[2], (std::pair<std::wstring, std::wstring>(L"Z", L"")));
}

TEST(VariableExpansion, ResultsThatDoNotFitAreRejectedUnchanged) {
    SetEnvironmentVariableW(L"QPK_UNIT_LONG", std::wstring(7000, L'x').c_str());
    std::wstring text = L"a${QPK_UNIT_LONG}";
    EXPECT_FALSE(expandVariables(text, false, 6000));
    EXPECT_EQ(text, L"a${QPK_UNIT_LONG}");
    EXPECT_TRUE(expandVariables(text, false, 30000));
    EXPECT_EQ(text.size(), 7001u);
    std::string narrow = "${QPK_UNIT_LONG}";
    EXPECT_FALSE(expandVariablesNarrow(narrow, 2000));
    EXPECT_EQ(narrow, "${QPK_UNIT_LONG}");
    SetEnvironmentVariableW(L"QPK_UNIT_LONG", nullptr);
}
