// qpkpack: packs a launcher with a manifest into a setup, or describes a packed setup.
#include <cstdio>
#include <cstring>
#include <string>

#include "Packer.h"

namespace {

const char kUsage[] =
    "usage: qpkpack build --launcher EXE --manifest FILE.json --out SETUP.exe\n"
    "       qpkpack inspect SETUP.exe\n"
    "\n"
    "build    writes the launcher's PE image followed by the configuration block and the\n"
    "         payload files listed in the manifest (sources relative to its directory)\n"
    "inspect  prints the setup's block and payload records (offsets of their data) as JSON;\n"
    "         exits 0 when the stored CRC matches, 1 when it does not, 2 when the file is\n"
    "         not a packed setup\n";

int usage(const char* problem) {
    std::fprintf(stderr, "qpkpack: %s\n%s", problem, kUsage);
    return qpkpack::kFailed;
}

int report(int result, const std::string& error) {
    if (result != qpkpack::kOk) std::fprintf(stderr, "qpkpack: %s\n", error.c_str());
    return result;
}

int build(int argc, char** argv) {
    std::string launcher, manifest, out;
    for (int i = 2; i < argc; i += 2) {
        std::string* target = !std::strcmp(argv[i], "--launcher") ? &launcher
                              : !std::strcmp(argv[i], "--manifest") ? &manifest
                              : !std::strcmp(argv[i], "--out")      ? &out
                                                                    : nullptr;
        if (!target) return usage((std::string("unknown option ") + argv[i]).c_str());
        if (i + 1 >= argc) return usage((std::string("missing value for ") + argv[i]).c_str());
        if (!target->empty()) return usage((std::string("repeated option ") + argv[i]).c_str());
        *target = argv[i + 1];
    }
    if (launcher.empty() || manifest.empty() || out.empty())
        return usage("build needs --launcher, --manifest and --out");
    std::string error;
    return report(qpkpack::buildFromManifest(launcher, manifest, out, error), error);
}

int inspect(int argc, char** argv) {
    if (argc != 3) return usage("inspect takes exactly one setup file");
    std::string text, error;
    int result = qpkpack::inspect(argv[2], text, error);
    // A report is printed whenever there is one, also for a CRC mismatch or a truncated record.
    std::fputs(text.c_str(), stdout);
    return report(result, error);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::fputs(kUsage, stdout);
        return qpkpack::kOk;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "build")) return build(argc, argv);
    if (argc >= 2 && !std::strcmp(argv[1], "inspect")) return inspect(argc, argv);
    return usage(argc < 2 ? "no command given" : (std::string("unknown command ") + argv[1]).c_str());
}
