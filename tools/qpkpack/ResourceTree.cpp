#include "ResourceTree.h"

#include <algorithm>
#include <map>

#include "ByteOrder.h"

namespace qpkpack {
namespace {

constexpr uint32_t kSubdirectory = 0x80000000u;  // in an entry's offset: a table, not data
constexpr uint32_t kNamed = 0x80000000u;          // in an entry's name: a string offset
constexpr uint32_t kTableHeader = 16, kEntrySize = 8, kDataEntrySize = 16;
constexpr int kLevels = 3;                        // type, name, language

bool keyLess(const ResourceKey& a, const ResourceKey& b) {
    // Named entries come before numbered ones.
    if (a.text.empty() != b.text.empty()) return !a.text.empty();
    return a.text.empty() ? a.id < b.id : a.text < b.text;
}

class Reader {
public:
    Reader(const std::string& image, const PeHeaders& pe, uint32_t base, std::vector<Resource>& out, std::string& why)
        : image_(image), pe_(pe), base_(base), out_(out), why_(why) {}

    bool table(uint32_t offset, int level, Resource& path) {
        uint32_t at = 0;
        if (level >= kLevels || !located(offset, kTableHeader, at)) return fail("a table lies outside the image");
        uint32_t count = uint32_t(getU16(image_, at + 12)) + getU16(image_, at + 14);
        if (!located(offset + kTableHeader, kEntrySize * count, at)) return fail("a table lies outside the image");
        for (uint32_t i = 0; i < count; ++i, at += kEntrySize) {
            uint32_t name = getU32(image_, at), target = getU32(image_, at + 4);
            ResourceKey key;
            if (!this->key(name, key)) return false;
            if (level == 0) path.type = key;
            if (level == 1) path.name = key;
            if (level == 2) {
                if (!key.text.empty()) return fail("a language is named");
                path.language = key.id;
            }
            bool ok = (target & kSubdirectory) ? level < kLevels - 1 && table(target & ~kSubdirectory, level + 1, path)
                                               : level == kLevels - 1 && data(target, path);
            if (!ok) return why_.empty() ? fail("the tables are not three levels deep") : false;
        }
        return true;
    }

private:
    bool fail(const std::string& what) {
        why_ = "the resource directory is damaged: " + what;
        return false;
    }

    // Offsets inside the directory are relative to its start.
    bool located(uint64_t offset, uint64_t size, uint32_t& at) {
        return base_ + offset <= 0xFFFFFFFFu && rvaToOffset(pe_, uint32_t(base_ + offset), uint32_t(size), at);
    }

    bool key(uint32_t name, ResourceKey& key) {
        if (!(name & kNamed)) {
            key.id = uint16_t(name);
            return true;
        }
        uint32_t at = 0;
        if (!located(name & ~kNamed, 2, at)) return fail("a name lies outside the image");
        uint32_t length = getU16(image_, at);
        if (length == 0 || !located((name & ~kNamed) + 2, 2ull * length, at))
            return fail("a name lies outside the image");
        for (uint32_t i = 0; i < length; ++i) key.text += char16_t(getU16(image_, at + 2 * i));
        return true;
    }

    bool data(uint32_t offset, Resource& path) {
        uint32_t at = 0, dataAt = 0;
        if (!located(offset, kDataEntrySize, at)) return fail("a data entry lies outside the image");
        uint32_t rva = getU32(image_, at), size = getU32(image_, at + 4);
        if (!rvaToOffset(pe_, rva, size, dataAt)) return fail("resource data lies outside the image");
        // Tables that point back at each other would list the same data over and over.
        copied_ += size;
        if (out_.size() >= image_.size() / kDataEntrySize || copied_ > image_.size()) return fail("the tables loop");
        path.codePage = getU32(image_, at + 8);
        path.data = image_.substr(dataAt, size);
        out_.push_back(path);
        return true;
    }

    const std::string& image_;
    const PeHeaders& pe_;
    uint32_t base_;
    std::vector<Resource>& out_;
    std::string& why_;
    uint64_t copied_ = 0;
};

void align8(std::string& b) { b.resize((b.size() + 7) / 8 * 8, '\0'); }

// A level of the tree: keys in directory order, each with the resources below it.
std::vector<std::pair<ResourceKey, std::vector<const Resource*>>> level(const std::vector<const Resource*>& items,
                                                                        int depth) {
    std::vector<std::pair<ResourceKey, std::vector<const Resource*>>> out;
    for (const Resource* r : items) {
        ResourceKey k = depth == 0 ? r->type : depth == 1 ? r->name : ResourceKey{r->language, {}};
        auto it = std::find_if(out.begin(), out.end(), [&](const auto& e) { return e.first == k; });
        if (it == out.end()) it = out.insert(out.end(), {k, {}});
        it->second.push_back(r);
    }
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return keyLess(a.first, b.first); });
    return out;
}

class Builder {
public:
    explicit Builder(const std::vector<Resource>& resources) {
        for (const Resource& r : resources) all_.push_back(&r);
    }

    std::string build(uint32_t rva) {
        // Offsets of everything are known once the tables' size is: lay the tables out
        // first, then fill in the data entries, names and data behind them.
        table(all_, 0);
        uint32_t dataEntries = uint32_t(tables_.size());
        std::string names, data;
        std::map<std::u16string, uint32_t> nameOffsets;
        uint32_t namesAt = dataEntries + kDataEntrySize * uint32_t(leaves_.size());
        for (const auto& [at, text] : namedEntries_) {
            auto found = nameOffsets.find(text);
            if (found == nameOffsets.end()) {
                found = nameOffsets.emplace(text, namesAt + uint32_t(names.size())).first;
                putU16(names, uint32_t(text.size()));
                for (char16_t c : text) putU16(names, c);
            }
            setU32(tables_, at, kNamed | found->second);
        }
        align8(names);
        uint32_t dataAt = namesAt + uint32_t(names.size());
        std::string entries;
        for (size_t i = 0; i < leaves_.size(); ++i) {
            setU32(tables_, leafEntries_[i], dataEntries + kDataEntrySize * uint32_t(i));
            putU32(entries, rva + dataAt + uint32_t(data.size()));
            putU32(entries, uint32_t(leaves_[i]->data.size()));
            putU32(entries, leaves_[i]->codePage);
            putU32(entries, 0);
            data += leaves_[i]->data;
            align8(data);
        }
        return tables_ + entries + names + data;
    }

private:
    // Appends the table for `items` at `depth` and those below it; returns its offset.
    uint32_t table(const std::vector<const Resource*>& items, int depth) {
        auto keys = level(items, depth);
        uint32_t offset = uint32_t(tables_.size());
        uint32_t named = uint32_t(std::count_if(keys.begin(), keys.end(), [](const auto& k) { return !k.first.text.empty(); }));
        putU32(tables_, 0);  // characteristics
        putU32(tables_, 0);  // time stamp: none, so that the same resources give the same bytes
        putU32(tables_, 0);  // version
        putU16(tables_, named);
        putU16(tables_, uint32_t(keys.size()) - named);
        uint32_t entries = uint32_t(tables_.size());
        tables_.resize(tables_.size() + kEntrySize * keys.size(), '\0');
        for (size_t i = 0; i < keys.size(); ++i) {
            uint32_t at = entries + kEntrySize * uint32_t(i);
            if (keys[i].first.text.empty())
                setU32(tables_, at, keys[i].first.id);
            else
                namedEntries_.emplace_back(at, keys[i].first.text);
            if (depth == kLevels - 1) {
                // One resource per language; a later duplicate would be unreachable.
                leaves_.push_back(keys[i].second.back());
                leafEntries_.push_back(at + 4);
            } else {
                uint32_t below = table(keys[i].second, depth + 1);
                setU32(tables_, at + 4, kSubdirectory | below);
            }
        }
        return offset;
    }

    std::vector<const Resource*> all_;
    std::string tables_;
    std::vector<std::pair<uint32_t, std::u16string>> namedEntries_;  // where a name's offset goes
    std::vector<const Resource*> leaves_;
    std::vector<uint32_t> leafEntries_;  // where each leaf's data entry offset goes
};

}  // namespace

bool readResources(const std::string& image, const PeHeaders& pe, std::vector<Resource>& out, std::string& why) {
    out.clear();
    DataDirectory d = dataDirectory(image, pe, kResourceDirectory);
    if (d.address == 0) return true;
    Resource path;
    why.clear();
    std::vector<Resource> found;
    if (!Reader(image, pe, d.address, found, why).table(0, 0, path)) return false;
    out = std::move(found);
    return true;
}

std::string buildResourceDirectory(std::vector<Resource> resources, uint32_t rva) {
    return Builder(resources).build(rva);
}

}  // namespace qpkpack
