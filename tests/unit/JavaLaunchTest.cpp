#include <gtest/gtest.h>

#include "JavaVMLauncher.h"
#include "NativeRegistration.h"
#include "jre/JvmLoader.h"
#include "launcher/InstallMarkers.h"
#include "launcher/ProgressDialog.h"
#include "payload/Config.h"

using namespace qpk;

TEST(LauncherProperties, OptionalOnesAppearOnlyWhenSetAndTheOrderIsFixed) {
    PropertyInputs in;
    in.productKind = 'q';
    in.exePath = "C:\\s\\setup.exe";
    in.tempDir = "C:\\t\\d";
    in.unextractedPosition = -1;
    in.path = "C:\\w";
    in.consoleCodePage = 850;
    const std::vector<std::string> plain = {
        "-Dcorvo.isQuillpack=true",        "-Dcorvo.moduleName=C:\\s\\setup.exe", "-Dsun.java.command=C:\\s\\setup.exe",
        "-Dcorvo.tempDir=C:\\t\\d",        "-Dcorvo.unextractedPosition=-1",    "-Djava.library.path=C:\\w",
        "-Dcorvo.consoleCodepage=cp850"};
    EXPECT_EQ(launcherProperties(in), plain);

    in.semaphoreName = "Local\\x0";
    in.manualJre = true;
    in.productKind = 'c';
    in.manPathSet = true;
    std::vector<std::string> all = launcherProperties(in);
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0], "-Dcorvo.semaphoreName=Local\\x0");
    EXPECT_EQ(all[1], "-Dcorvo.manualJre=true");
    EXPECT_EQ(all[2], "-Dcorvo.moduleName=C:\\s\\setup.exe");
    EXPECT_EQ(all.back(), "-Djava.library.path=C:\\w");
}

TEST(MainArguments, ConfiguredArgumentsComeFirstAndOnlyTheLocaleSwitchIsAlwaysDropped) {
    MainArgumentInputs in;
    in.mainClass = L"a.B";
    in.extraArguments = {L"x", L"y z"};
    ArgumentVector typed = {L"setup.exe", L"-Dsun.locale.formatasdefault=true", L"-J-Xmx1g", L"other"};
    ArgumentVector expected = {L"false", L"a.B", L"", L"", L"false", L"setup.exe", L"x", L"y z", L"-J-Xmx1g", L"other"};
    EXPECT_EQ(mainArguments(in, typed), expected);

    in.applicationKindOne = true;
    in.moduleMode = true;
    in.firstPath = L"C:\\p";
    in.flag106 = true;
    in.dropVmOptionArguments = true;
    in.extraArguments.clear();
    expected = {L"true", L"/a.B", L"C:\\p", L"", L"true", L"setup.exe", L"other"};
    EXPECT_EQ(mainArguments(in, typed), expected);
    // An empty vector has no program name to pass on.
    EXPECT_EQ(mainArguments(in, {}).size(), 5u);
}

TEST(MainClass, KindQHasItsOwnClass) {
    EXPECT_EQ(mainClassName('q'), "com/quillpack/runtime/launcher/WinLauncher");
    EXPECT_EQ(mainClassName('c'), "com/corvo/runtime/WinLauncher");
    EXPECT_EQ(mainClassName('\0'), "com/corvo/runtime/WinLauncher");
}

TEST(NativeTable, FourteenClassesWithSeventyFiveMethodsInRegistrationOrder) {
    const auto& classes = nativeClasses();
    ASSERT_EQ(classes.size(), 14u);
    size_t methods = 0;
    for (const auto& c : classes) {
        EXPECT_EQ(c.className.rfind("com/quillpack/runtime/installer/platform/win32/", 0), 0u);
        methods += c.methods.size();
    }
    EXPECT_EQ(methods, 75u);
    EXPECT_EQ(classes.front().className, "com/quillpack/runtime/installer/platform/win32/ACLHandling");
    EXPECT_EQ(classes[11].className, "com/quillpack/runtime/installer/platform/win32/Registry");
    EXPECT_EQ(classes.back().className, "com/quillpack/runtime/installer/platform/win32/Win32Services");
    EXPECT_EQ(jniSymbolName(classes[11].className, "getValue0"),
              "Java_com_quillpack_runtime_installer_platform_win32_Registry_getValue0");
}

TEST(ProgressBar, WatcherStepsAreAQuarterOfWhatIsLeftAndStopAt390) {
    EXPECT_EQ(advancedPosition(100, 100), 175);
    EXPECT_EQ(advancedPosition(200, 200), 250);
    EXPECT_EQ(advancedPosition(300, 300), 325);
    EXPECT_EQ(advancedPosition(325, 100), 390);
    EXPECT_EQ(advancedPosition(390, 300), 390);
}

namespace {

std::vector<std::pair<const char*, std::string>> givenOptions;

int32_t __stdcall recordOptions(void**, void**, void* args) {
    const auto* init = static_cast<const JavaVMInitArgs*>(args);
    for (jint i = 0; i < init->nOptions; ++i)
        givenOptions.emplace_back(init->options[i].optionString, init->options[i].optionString);
    return JNI_ERR;
}

}  // namespace

// The JVM may keep pointers to its option strings, so they must outlive the creation call.
TEST(JavaLaunch, OptionStringsOutliveTheCreationCall) {
    setConfiguration({}, {});
    CreateJavaVmFunction saved = createJavaVmFunction;
    createJavaVmFunction = recordOptions;
    EXPECT_FALSE(launchJvm({L"setup.exe"}, false));
    createJavaVmFunction = saved;
    ASSERT_FALSE(givenOptions.empty());
    // Blocks freed by the launcher would be handed out again to allocations like these.
    std::vector<std::string> churn(givenOptions.size() * 2, std::string(300, '#'));
    for (const auto& [pointer, text] : givenOptions) EXPECT_EQ(std::string(pointer), text);
}

// Cancel removes the markers for good: the worker, which runs on, must not write them again.
TEST(InstallMarkers, NothingWritesThemAfterCancel) {
    setInstallStarted(true, true, true);
    EXPECT_EQ(readInstallStarted(true), 1u);
    cancelInstallMarkers();
    setInstallStarted(true, true, true);
    EXPECT_EQ(readInstallStarted(true), 0u);
    EXPECT_EQ(readInstallStarted(false), 0u);
}
