// A launcher image as the packer reads it for "executable" and inspect: the PE headers,
// the resource directory with its icon group, version resource and manifest, and the
// directory built again in its place; the same bytes as an .ico file.
#include "ExecutableIdentity.h"
#include "FuzzInput.h"
#include "IconFile.h"
#include "ResourceTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string image = qpkfuzz::bytes(data, size), why;
    std::vector<qpkpack::IconEntry> entries;
    std::vector<std::string> images;
    qpkpack::parseIcoFile(image, entries, images, why);
    qpkpack::PeHeaders pe;
    if (!qpkpack::parsePeHeaders(image, pe, why)) return 0;
    qpkpack::describeIdentity(image, pe);
    std::vector<qpkpack::Resource> resources;
    if (!qpkpack::readResources(image, pe, resources, why)) return 0;
    qpkpack::replaceResourceDirectory(
        image, pe, [&](uint32_t rva) { return qpkpack::buildResourceDirectory(resources, rva); }, why);
    return 0;
}
