#include <windows.h>

#include <gtest/gtest.h>

#include "JvmArguments.h"

using namespace qpk;

TEST(JvmArguments, PathListEntriesCarryTypeMarkerAndPath) {
    std::vector<PathEntry> entries = parsePathList(";A1lib\\a.jar;;Ex HOME;S0;D");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].type, 'A');
    EXPECT_TRUE(entries[0].mandatory);
    EXPECT_EQ(entries[0].path, "lib\\a.jar");
    EXPECT_EQ(entries[1].type, 'E');
    EXPECT_FALSE(entries[1].mandatory) << "only '1' marks an entry mandatory";
    EXPECT_EQ(entries[1].path, " HOME");
    EXPECT_EQ(entries[2].path, "");
    EXPECT_EQ(entries[3].type, 'D');
    EXPECT_FALSE(entries[3].mandatory);
    EXPECT_TRUE(parsePathList(";;").empty());
}

TEST(JvmArguments, SmallTextHelpers) {
    EXPECT_EQ(splitPathText(";a;;b c;"), (std::vector<std::string>{"a", "b c"}));
    EXPECT_EQ(unquoteValue("\"C:\\x;y\""), "C:\\x;y");
    EXPECT_EQ(unquoteValue("\""), "\"");
    EXPECT_EQ(unquoteValue("\"a"), "\"a");
    EXPECT_EQ(unquoteValue("\"\""), "");
    EXPECT_TRUE(isDriveRoot("C:\\"));
    EXPECT_TRUE(isDriveRoot("d:\\."));
    EXPECT_TRUE(isDriveRoot("C:\\.\\."));
    EXPECT_FALSE(isDriveRoot("C:"));
    EXPECT_FALSE(isDriveRoot("C:\\x"));
    EXPECT_FALSE(isDriveRoot(""));
    EXPECT_EQ(archivePattern("C:\\t", "jar"), "C:\\t\\*.jar");
    EXPECT_EQ(archivePattern("C:\\t", ".zip"), "C:\\t\\*.zip");
}

namespace {

PathSources sources(const std::string& modulePath, bool moduleMode) {
    PathSources s;
    s.modulePath = modulePath;
    s.tempArchives = "T\\a.jar;T\\b.zip;";
    s.userArchives = "T\\user\\u.jar;";
    s.configuredClassPath = "C:\\lib;";
    s.moduleMode = moduleMode;
    return s;
}

}  // namespace

TEST(JvmArguments, ClassPathInOrderWithoutTrailingSeparator) {
    AssembledPaths p = assemblePaths(sources("", false), {});
    EXPECT_EQ(p.classPathOption, "-Djava.class.path=T\\a.jar;T\\b.zip;T\\user\\u.jar;C:\\lib");
    EXPECT_EQ(p.modulePath, "");

    PathOverrides o{"R.jar", "P.jar", "Z.jar"};
    EXPECT_EQ(assemblePaths(sources("", false), o).classPathOption,
              "-Djava.class.path=P.jar;T\\a.jar;T\\b.zip;T\\user\\u.jar;R.jar;Z.jar");
    o.classPathReplace = "R.jar;";
    EXPECT_EQ(assemblePaths(sources("", false), o).classPathOption,
              "-Djava.class.path=P.jar;T\\a.jar;T\\b.zip;T\\user\\u.jar;R.jar;Z.jar")
        << "no second separator before the appended text";
}

TEST(JvmArguments, EmptyClassPathStaysAnOptionAndAppendGetsNoLeadingSeparator) {
    EXPECT_EQ(assemblePaths(PathSources{}, {}).classPathOption, "-Djava.class.path=");
    EXPECT_EQ(assemblePaths(PathSources{}, {"", "", "Z.jar"}).classPathOption, "-Djava.class.path=Z.jar");
}

TEST(JvmArguments, ArchivesMoveToTheModulePathWhenThereIsOne) {
    AssembledPaths modeOnly = assemblePaths(sources("", true), {});
    EXPECT_EQ(modeOnly.modulePath, "T\\a.jar;T\\b.zip;");
    EXPECT_EQ(modeOnly.classPathOption, "-Djava.class.path=T\\user\\u.jar;C:\\lib");
    AssembledPaths configured = assemblePaths(sources("M\\mods;", false), {});
    EXPECT_EQ(configured.modulePath, "M\\mods;T\\a.jar;T\\b.zip;");
    EXPECT_EQ(configured.classPathOption, "-Djava.class.path=T\\user\\u.jar;C:\\lib");
}

TEST(JvmArguments, ModuleOptionsFromTheMainClass) {
    const std::string rt = runtimeModuleName('q');
    EXPECT_EQ(rt, "com.quillpack.runtime");
    EXPECT_EQ(runtimeModuleName('Q'), "com.corvo.runtime");

    EXPECT_EQ(moduleOptions("m;a.jar;", true, "app.mod/com.x.Main", rt),
              (std::vector<std::string>{"--module-path=m;a.jar", "--add-opens=app.mod/com.x=com.quillpack.runtime",
                                        "--add-modules=app.mod,com.quillpack.runtime"}));
    EXPECT_EQ(moduleOptions("m", true, "com.x.Main", rt),
              (std::vector<std::string>{"--module-path=m", "--add-modules=com.x.Main,com.quillpack.runtime"}));
    EXPECT_EQ(moduleOptions("m", true, "app.mod/Main", rt),
              (std::vector<std::string>{"--module-path=m", "--add-modules=app.mod,com.quillpack.runtime"}))
        << "a dot only before the slash makes no add-opens";
    EXPECT_EQ(moduleOptions("m", false, "app.mod/com.x.Main", rt),
              (std::vector<std::string>{"--module-path=m", "--add-modules=com.quillpack.runtime"}));
}

TEST(JvmArguments, BareModuleOptionNamesJoinTheirValue) {
    OptionList options{"--add-opens", "java.base/java.lang=ALL-UNNAMED", "-Xmx1g", "--add-modules=a",
                       "--patch-module", "--add-reads", "--add-exports", "x=y", "--ADD-OPENS", "v",
                       "--limit-modules"};
    joinModuleOptions(options);
    EXPECT_EQ(options, (OptionList{"--add-opens=java.base/java.lang=ALL-UNNAMED", "-Xmx1g", "--add-modules=a",
                                   "--patch-module=--add-reads", "--add-exports=x=y", "--ADD-OPENS", "v",
                                   "--limit-modules"}));
}

TEST(JvmArguments, NativeLibraryPathGoesInFrontOfPath) {
    EXPECT_EQ(nativeLibraryPathValue("C:\\a;C:\\b", "C:\\Windows"), "C:\\a;C:\\b;C:\\Windows");
    EXPECT_EQ(nativeLibraryPathValue("C:\\a;", "C:\\Windows"), "C:\\a;C:\\Windows");
    EXPECT_EQ(nativeLibraryPathValue("", "C:\\Windows;x"), "C:\\Windows;x");
    EXPECT_EQ(nativeLibraryPathValue("C:\\a", std::string(60000, 'p')).size(), 47999u);
}
