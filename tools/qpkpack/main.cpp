// qpkpack: packs a launcher with a manifest into a setup, or describes a packed setup.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Packer.h"
#include "SettingNames.h"

namespace {

const char kUsage[] =
    "usage: qpkpack build --launcher EXE --manifest FILE.json --out SETUP.exe\n"
    "       qpkpack inspect SETUP.exe\n"
    "       qpkpack --help | --version | build --help | inspect --help\n";

const char kInspectHelp[] =
    "usage: qpkpack inspect SETUP.exe\n"
    "\n"
    "Prints the setup as JSON: under \"executable\" its icon's images, its version\n"
    "information, the execution level its application manifest requests and, when signed,\n"
    "where its certificate table lies; then the block's settings and messages by name and\n"
    "id, every entry by id, the language sections and the payload records (offsets of\n"
    "their data).\n"
    "Exits 0 when the stored CRC matches, 1 when it does not, 2 when the file is not a\n"
    "packed setup.\n";

const char kBuildHelp[] =
    "usage: qpkpack build --launcher EXE --manifest FILE.json --out SETUP.exe\n"
    "\n"
    "Writes the launcher's PE image followed by the configuration block and the payload\n"
    "files of the manifest. A wrong manifest or an unreadable file ends with exit code 2\n"
    "and leaves no output file; settings a setup needs are warned about on standard error.\n"
    "The same inputs give the same bytes; a runtime directory's entries get the time of\n"
    "SOURCE_DATE_EPOCH when it is set. A signature of the launcher is dropped: sign the\n"
    "setup after packing it.\n"
    "\n"
    "options:\n"
    "  --launcher EXE    the launcher executable (or a setup, whose payload is replaced)\n"
    "  --manifest FILE   the manifest (JSON); sources are relative to its directory\n"
    "  --out SETUP.exe   the setup to write\n"
    "\n"
    "manifest keys:\n"
    "  settings         object of the named settings below\n"
    "  messages         object of the named messages below; an unset message gets its default\n"
    "  defaultMessages  false: leave unset messages empty (default true)\n"
    "  languages        list of {\"code\", \"messages\", \"wide\"}: texts for user-interface\n"
    "                   languages that start with the code (\"de\" also serves \"de_CH\")\n"
    "  files            list of {\"name\", \"source\"}: the payload files\n"
    "  runtime          Java runtime to carry: its home directory or a .tar.gz of it\n"
    "  trailer          file appended after the payload files\n"
    "  executable       the setup's own identity, written into the launcher's resources:\n"
    "                     icon            .ico file (any sizes up to 256, PNG images too)\n"
    "                     versionInfo     {\"fileVersion\": \"2.4.1.0\" (four numbers, needed),\n"
    "                                      \"productVersion\", \"productName\", \"companyName\",\n"
    "                                      \"fileDescription\", \"legalCopyright\",\n"
    "                                      \"originalFilename\", \"internalName\", \"comments\"}\n"
    "                     executionLevel  asInvoker (default), highestAvailable or\n"
    "                                     requireAdministrator\n"
    "  codepage         code page of the 8-bit texts: 1252 (default), 437, 850 or 65001\n"
    "  integrity        check the payload's CRC at start-up (default true)\n"
    "  narrow           object from decimal id to 8-bit text: entries by number\n"
    "  wide             object from decimal id to wide text: entries by number\n";

void printBuildHelp() {
    std::fputs(kBuildHelp, stdout);
    std::fputs("\nsettings (name, entry id, JSON value):\n", stdout);
    for (const qpkpack::SettingName& s : qpkpack::settingNames()) {
        std::string head = std::string(s.name) + " (" + std::to_string(s.id) + ")";
        std::printf("  %-32s %s\n      %s%s\n", head.c_str(), qpkpack::kindSyntax(s.kind), s.meaning,
                    s.whenMissing ? " [needed]" : "");
    }
    std::fputs("\nmessages (name, entry id, default text):\n", stdout);
    for (const qpkpack::MessageName& m : qpkpack::messageNames()) {
        std::string head = std::string(m.name) + " (" + std::to_string(m.id) + ")";
        std::printf("  %-32s \"%s\"\n", head.c_str(), m.defaultText);
    }
}

// One line per message, whatever a key or a path in it holds.
void printLine(const char* kind, const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "qpkpack: %s%s\n", kind, line.c_str());
}

int usage(const std::string& problem) {
    printLine("", problem + " (see qpkpack --help)");
    return qpkpack::kFailed;
}

int report(int result, const std::string& error) {
    if (result != qpkpack::kOk) printLine("", error);
    return result;
}

bool isHelp(const char* arg) { return !std::strcmp(arg, "--help") || !std::strcmp(arg, "-h"); }

int build(int argc, char** argv) {
    if (argc == 3 && isHelp(argv[2])) {
        printBuildHelp();
        return qpkpack::kOk;
    }
    std::string launcher, manifest, out;
    for (int i = 2; i < argc; i += 2) {
        std::string* target = !std::strcmp(argv[i], "--launcher") ? &launcher
                              : !std::strcmp(argv[i], "--manifest") ? &manifest
                              : !std::strcmp(argv[i], "--out")      ? &out
                                                                    : nullptr;
        if (!target) return usage(std::string("unknown option ") + argv[i]);
        if (i + 1 >= argc) return usage(std::string("missing value for ") + argv[i]);
        if (!target->empty()) return usage(std::string("repeated option ") + argv[i]);
        *target = argv[i + 1];
    }
    if (launcher.empty() || manifest.empty() || out.empty())
        return usage("build needs --launcher, --manifest and --out");
    std::string error;
    std::vector<std::string> warnings;
    int result = qpkpack::buildFromManifest(launcher, manifest, out, error, &warnings);
    for (const std::string& w : warnings) printLine("warning: ", w);
    return report(result, error);
}

int inspect(int argc, char** argv) {
    if (argc == 3 && isHelp(argv[2])) {
        std::fputs(kInspectHelp, stdout);
        return qpkpack::kOk;
    }
    if (argc != 3) return usage("inspect takes exactly one setup file");
    std::string text, error;
    int result = qpkpack::inspect(argv[2], text, error);
    // A report is printed whenever there is one, also for a CRC mismatch or a truncated record.
    std::fputs(text.c_str(), stdout);
    return report(result, error);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && isHelp(argv[1])) {
        std::fputs(kUsage, stdout);
        std::fputs("\nbuild    packs a setup (below)\n"
                   "inspect  describes a packed setup (qpkpack inspect --help)\n\n",
                   stdout);
        printBuildHelp();
        return qpkpack::kOk;
    }
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf("qpkpack %s\n", QPKPACK_VERSION);
        return qpkpack::kOk;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "build")) return build(argc, argv);
    if (argc >= 2 && !std::strcmp(argv[1], "inspect")) return inspect(argc, argv);
    return usage(argc < 2 ? "no command given" : std::string("unknown command ") + argv[1]);
}
