#include "SettingNames.h"

#include <algorithm>

namespace qpkpack {

namespace {

using K = SettingKind;

// Grouped as the launcher reads them. Entries the packer fills itself (the file count and
// names) have no name: the "files" list sets them.
const std::vector<SettingName> kSettings = {
    // Launcher control
    {107, "applicationKind", K::Integer,
     "1: windowed installer; 1 and 5 show fatal errors in message boxes, other kinds on standard error",
     "fatal errors go to standard error instead of message boxes"},
    {146, "workingDirectory", K::Text, "working directory, relative to the setup's directory (variables allowed)", nullptr},
    {155, "noProgressDialog", K::Flag, "prepare the installer without the progress dialog", nullptr},
    {157, "downloadWithoutAsking", K::Flag, "download a Java runtime without asking", nullptr},
    {158, "singleInstanceGlobal", K::Flag, "single-instance semaphore in the global namespace", nullptr},
    {159, "noStartTimeout", K::Flag, "no time-out for the installer window to appear", nullptr},
    {161, "preferInstalledJava", K::Flag, "prefer an installed Java runtime to the included one", nullptr},
    {2001, "productKind", K::Text, "product kind (its first character counts)", nullptr},
    {10004, "nativeLibraryDirectories", K::List, "directories put in front of PATH and added as DLL directories", nullptr},
    {10005, "singleInstance", K::Flag, "allow one running setup at a time", nullptr},
    {10007, "activateRunningInstance", K::Flag, "in single-instance mode, bring the running setup's windows to the front", nullptr},
    // Java runtime search and download
    {126, "minJavaVersion", K::Text, "minimum Java version (empty: no lower bound)", nullptr},
    {127, "maxJavaVersion", K::Text, "maximum Java version (empty: no upper bound)", nullptr},
    {128, "searchSequence", K::SearchSequence,
     "runtime search steps: A, B, R a runtime home; E an environment variable; S the search path; Y the registry; "
     "V the registry keys and install folders of Java distributions",
     nullptr},
    {130, "allowPreReleaseJava", K::Flag, "accept pre-release runtimes (beta, ea, rc)", nullptr},
    {131, "requireJdk", K::Flag, "accept only runtimes with lib\\tools.jar", nullptr},
    {150, "downloadUrl", K::Text,
     "where a Java runtime (a .tar.gz) can be downloaded (empty: no download offered); other than https:// it "
     "needs downloadSha256",
     nullptr},
    {156, "downloadSha256", K::Text,
     "SHA-256 of the downloaded runtime archive, 64 hexadecimal digits; the launcher refuses an archive that differs",
     nullptr},
    {152, "jvmLibraryDirectory", K::Text, "JVM library subdirectory tried before the built-in list", nullptr},
    {153, "packedRuntimeJars", K::Flag, "the included runtime's jars are packed and must be unpacked", nullptr},
    {160, "applicationId", K::Text, "value name of earlier installation directories in the registry", nullptr},
    {165, "ownRuntimesOnly", K::Flag, "skip the vendor registry keys; accept only runtimes this launcher recorded", nullptr},
    {10003, "applicationHome", K::Text, "application home, relative to the setup; holds the runtime preference files", nullptr},
    // JVM start
    {102, "passPathArgument1", K::Flag, "pass pathArgument1 as the third argument of the Java launcher class", nullptr},
    {103, "pathArgument1", K::WideText, "path for that argument (variables allowed; made absolute unless it starts with $)", nullptr},
    {104, "passPathArgument2", K::Flag, "pass pathArgument2 as the fourth argument", nullptr},
    {105, "pathArgument2", K::WideText, "path for that argument", nullptr},
    {106, "fifthArgument", K::Flag, "fifth argument of the Java launcher class, \"true\" or \"false\"", nullptr},
    {108, "passSplashSettings", K::Flag, "hand the splash settings to the Java side after the JVM start", nullptr},
    {121, "classPath", K::List, "class path entries: type A, D, E or S, '1' if mandatory, then the path", nullptr},
    {122, "mainClass", K::Text, "the application's main class, handed to the installer runtime",
     "the installer runtime is handed no main class to run"},
    {123, "vmOptions", K::WideText, "JVM options (variables allowed, split like a command line)", nullptr},
    {124, "programArguments", K::WideText, "fixed arguments of the main method (split like a command line)", nullptr},
    {125, "forwardJOptions", K::Flag, "pass command-line arguments starting with -J to the JVM", nullptr},
    {132, "modulePath", K::List, "module path entries, written like classPath", nullptr},
    {133, "moduleMode", K::Flag, "module mode: mainClass is module/package.Class, the payload's archives go on the module path", nullptr},
    {163, "splashSecondFlag", K::Flag, "second flag of the splash hand-off", nullptr},
    {166, "readVmOptionsFile", K::Flag, "read the default VM options file beside the setup", nullptr},
    {10111, "splash1Text", K::Text, "splash group 1: text", nullptr},
    {10109, "splash1First", K::Integer, "splash group 1: first number", nullptr},
    {10110, "splash1Second", K::Integer, "splash group 1: second number", nullptr},
    {10114, "splash2Text", K::Text, "splash group 2: text", nullptr},
    {10113, "splash2First", K::Integer, "splash group 2: first number", nullptr},
    {10115, "splash2Second", K::Integer, "splash group 2: second number", nullptr},
    {10118, "splash3Text", K::Text, "splash group 3: text", nullptr},
    {10116, "splash3First", K::Integer, "splash group 3: first number", nullptr},
    {10117, "splash3Second", K::Integer, "splash group 3: second number", nullptr},
    {10121, "splash4Text", K::Text, "splash group 4: text", nullptr},
    {10120, "splash4First", K::Integer, "splash group 4: first number", nullptr},
    {10122, "splash4Second", K::Integer, "splash group 4: second number", nullptr},
    {10200, "versionSpecificVmOptions", K::VersionOptions,
     "JVM options of the first pair whose versionPrefix begins the runtime's version", nullptr},
};

// "{0}" is where the launcher puts a detail; 20005, 20006 and 20008 are printf formats that
// the download dialog fills (the bitness; sizes, percentage and speed).
const std::vector<MessageName> kMessages = {
    {1000, "errorCaption", "Setup"},
    {1005, "jvmStartFailed", "The installer could not be started: the Java virtual machine failed to start."},
    {1006, "classPathEntryMissing", "A file or directory the installer needs was not found: {0}"},
    {1008, "environmentVariableMissing", "An environment variable the installer needs is not defined: {0}"},
    {1009, "internalError", "An internal error occurred ({0})."},
    {1010, "mainClassNotFound", "The installer could not be started: its main class could not be loaded."},
    {1011, "mainMethodNotFound", "The installer could not be started: its main class has no main method."},
    {1015, "insufficientRights",
     "The setup lacks the rights it needs: no usable temporary directory was found, or the included Java "
     "runtime could not be used."},
    {1016, "noSuitableJava", "No suitable Java runtime was found. Please install a {0}-bit Java runtime."},
    {1018, "javaHomeVariableUnusable", "The environment variable {0} does not point to a working 64-bit Java runtime."},
    {1020, "javaDamaged", "The Java runtime at {0} is damaged or cannot be used."},
    {20001, "downloading", "Downloading a Java runtime ..."},
    {20002, "downloadUnavailable", "The internet functions of this computer could not be initialized."},
    {20003, "downloadFailed", "The Java runtime could not be downloaded."},
    {20004, "locateJavaTitle", "Locate java.exe"},
    {20005, "noJavaDownloadOrLocate",
     "No suitable Java runtime was found on this computer. Download one, or locate a %S-bit Java runtime."},
    {20006, "noJavaLocate", "No suitable Java runtime was found on this computer. Please locate a %S-bit Java runtime."},
    {20007, "preparing", "Preparing the installer ..."},
    {20008, "downloadProgress", "%.1f of %.1f MB (%.0f%%), %.0f KB/s"},
    {20009, "connecting", "Connecting ..."},
    {20010, "downloadButton", "Download"},
    {20011, "locateButton", "Locate"},
    {20012, "cancelButton", "Cancel"},
    {20013, "setupCaption", "Setup"},
    {20014, "startTimeout", "The installer did not start in time."},
    {20016, "corruptFile", "The installation file is corrupt. Please download it again."},
    {20018, "diskFull", "There is not enough disk space to unpack the installer."},
    {20019, "minimumVersionLabel", "minimum version"},
    {20020, "maximumVersionLabel", "maximum version"},
};

template <typename T>
const T* byName(const std::vector<T>& table, const std::string& name) {
    auto it = std::find_if(table.begin(), table.end(), [&](const T& e) { return name == e.name; });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace

const std::vector<SettingName>& settingNames() { return kSettings; }
const std::vector<MessageName>& messageNames() { return kMessages; }

const SettingName* findSetting(const std::string& name) { return byName(kSettings, name); }
const MessageName* findMessage(const std::string& name) { return byName(kMessages, name); }

const char* kindSyntax(SettingKind kind) {
    switch (kind) {
        case K::Text:
        case K::WideText: return "string";
        case K::Integer: return "integer";
        case K::Flag: return "boolean";
        case K::List: return "list of strings";
        case K::SearchSequence: return "list of \"L\" or \"L:argument\" (L a letter)";
        case K::VersionOptions: return "list of {\"versionPrefix\": string, \"options\": string}";
    }
    return "";
}

}  // namespace qpkpack
