#include <gtest/gtest.h>

#include <map>

#include "launcher/DelayedDeletion.h"
#include "launcher/DeletionList.h"

using namespace qpk;

namespace {

std::string utf16le(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char((c >> 8) & 0xFF);
    }
    return bytes;
}

using Lines = std::vector<std::wstring>;

// A file system in which each path goes away from a given pass on (never when absent).
class FakeSystem final : public DeletionSystem {
public:
    std::map<std::wstring, int> deletableFrom;  // pass from which remove() succeeds; -1 never
    bool schedulingFails = false;
    std::vector<std::wstring> calls;
    int pass = 0;

    void waitForSemaphoreGone(const std::wstring& name) override { calls.push_back(L"wait " + name); }
    bool remove(const std::wstring& path, bool directory) override {
        calls.push_back((directory ? L"rmdir " : L"del ") + path);
        auto it = deletableFrom.find(path);
        if (it == deletableFrom.end() || it->second < 0 || it->second > pass) return false;
        deletableFrom.erase(it);
        return true;
    }
    bool exists(const std::wstring& path) override { return deletableFrom.count(path) > 0; }
    bool scheduleAtBoot(const std::wstring& path) override {
        calls.push_back(L"schedule " + path + L" in pass " + std::to_wstring(pass));
        return !schedulingFails;
    }
    void pause(unsigned ms) override {
        EXPECT_EQ(ms, kDeletionPauseMs);
        ++pass;
    }
    int count(const std::wstring& prefix) const {
        int n = 0;
        for (const std::wstring& c : calls) n += c.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
};

DeletionList listWith(const std::wstring& control, Lines files, Lines directories) {
    DeletionList list;
    list.complete = true;
    list.control = control;
    list.files = std::move(files);
    list.directories = std::move(directories);
    return list;
}

}  // namespace

TEST(DeletionListLines, DecodesUtf16AndStripsLineEnds) {
    std::wstring text = L"\xFEFF" L"sem\r\n\r\nline \x00E9\x4E2D\r\r\nlone\rcr\n\nlast";
    EXPECT_EQ(listLines(utf16le(text)), (Lines{L"sem", L"", L"line \x00E9\x4E2D", L"lone\rcr", L"", L"last"}));
    // A final LF ends the last line; an odd final byte is no unit; a later BOM is text.
    EXPECT_EQ(listLines(utf16le(L"a\n\xFEFF" L"b\n") + "x"), (Lines{L"a", L"\xFEFF" L"b"}));
    EXPECT_TRUE(listLines("").empty());
    EXPECT_TRUE(listLines(utf16le(L"\xFEFF")).empty());
}

TEST(DeletionListLines, LongLinesAreCutAtTheCapWithoutCountingTheirEnd) {
    std::wstring full(kListLineUnits, L'p');
    EXPECT_EQ(listLines(utf16le(full + L"\r\nnext")), (Lines{full, L"next"}));
    EXPECT_EQ(listLines(utf16le(full + L"qr\r\n\r\n")), (Lines{full, L"qr", L""}));
}

TEST(DeletionListParse, SectionsTextsAndPaths) {
    DeletionList list = parseDeletionList({L"Global\\sem", L"force_reboot", L"Restart now?", L"", L"Sure?",
                                           L"EOSMARKER", L"Restart failed.", L"EOSMARKER-trailing", L"C:\\a.txt",
                                           L"b.txt", L"", L"C:\\d1", L"", L"", L"C:\\d2"});
    ASSERT_TRUE(list.complete);
    EXPECT_EQ(list.semaphore, L"Global\\sem");
    EXPECT_EQ(list.control, L"force_reboot");
    // An empty line inside a text is part of it, not a section break.
    EXPECT_EQ(list.question, L"Restart now?\n\nSure?");
    EXPECT_EQ(list.warning, L"Restart failed.");
    EXPECT_EQ(list.files, (Lines{L"C:\\a.txt", L"b.txt"}));
    EXPECT_EQ(list.directories, (Lines{L"C:\\d1", L"C:\\d2"}));
}

TEST(DeletionListParse, EmptyFirstLineMeansNoSemaphoreAndTextsMayBeEmpty) {
    DeletionList list = parseDeletionList({L"", L"reboot_deletion", L"EOSMARKER", L" EOSMARKER", L"EOSMARKER", L"",
                                           L"C:\\only-dir"});
    ASSERT_TRUE(list.complete);
    EXPECT_EQ(list.semaphore, L"");
    EXPECT_EQ(list.question, L"");
    EXPECT_EQ(list.warning, L" EOSMARKER");
    EXPECT_TRUE(list.files.empty());
    EXPECT_EQ(list.directories, (Lines{L"C:\\only-dir"}));
}

TEST(DeletionListParse, ControlWords) {
    auto flags = [](const std::wstring& word) {
        DeletionList l = listWith(word, {}, {});
        return std::make_pair(l.rebootWhenDone(), l.deletionAtBootAllowed());
    };
    EXPECT_EQ(flags(L"force_reboot"), std::make_pair(true, true));
    EXPECT_EQ(flags(L"reboot_deletion"), std::make_pair(false, true));
    EXPECT_EQ(flags(L"Force_reboot"), std::make_pair(false, false));
    EXPECT_EQ(flags(L"reboot_deletion "), std::make_pair(false, false));
}

TEST(DeletionListParse, IncompleteListsYieldNoPaths) {
    const Lines cases[] = {
        {},
        {L"sem"},
        {L"", L"", L"C:\\x"},              // no control line before the paths
        {L"sem", L"", L"C:\\x", L"", L"C:\\d"},
        {L"sem", L"other", L"question", L"C:\\x"},  // no marker at all
        {L"", L"other", L"question", L"EOSMARKER", L"warning", L"C:\\x"},
    };
    for (const Lines& lines : cases) {
        DeletionList list = parseDeletionList(lines);
        EXPECT_FALSE(list.complete) << lines.size();
        EXPECT_TRUE(list.files.empty() && list.directories.empty());
    }
}

TEST(DeletionListParse, PrivateTempPathsNeedBothParts) {
    EXPECT_TRUE(isPrivateTempPath(L"C:\\T\\cvo1A2.tmp_dir1700000000\\x.jar"));
    EXPECT_FALSE(isPrivateTempPath(L"C:\\T\\cvo1A2.tmp\\x.jar"));
    EXPECT_FALSE(isPrivateTempPath(L"C:\\T\\abc.tmp_dir1\\x.jar"));
    EXPECT_FALSE(isPrivateTempPath(L"C:\\T\\CVO1.TMP_DIR1\\x.jar"));
}

TEST(DeletionPasses, OnePassWhenEverythingGoesFilesBeforeDirectories) {
    FakeSystem fs;
    fs.deletableFrom = {{L"f", 0}, {L"d", 0}};
    DeletionList list = listWith(L"other", {L"f", L"gone"}, {L"d"});
    list.semaphore = L"s";
    DeletionOutcome out = runDeletionPasses(list, fs);
    EXPECT_EQ(out.passes, 1);
    EXPECT_TRUE(out.left.empty());
    EXPECT_EQ(fs.calls, (Lines{L"wait s", L"del f", L"del gone", L"rmdir d"}));
}

TEST(DeletionPasses, LaterPassesRetryOnlyWhatIsLeft) {
    FakeSystem fs;
    fs.deletableFrom = {{L"f", 0}, {L"late", 3}};
    DeletionOutcome out = runDeletionPasses(listWith(L"reboot_deletion", {L"f", L"late"}, {}), fs);
    EXPECT_EQ(out.passes, 4);
    EXPECT_EQ(fs.pass, 3);
    EXPECT_EQ(fs.count(L"del f"), 1);
    EXPECT_EQ(fs.count(L"del late"), 4);
    EXPECT_EQ(fs.count(L"schedule"), 0);
    EXPECT_FALSE(out.rebootNeeded);
}

TEST(DeletionPasses, StuckPathsAreScheduledInTheLastPassWhenAllowed) {
    struct Case {
        std::wstring control;
        Lines files;
        bool schedulingFails;
        int scheduled;
        bool rebootNeeded;  // only for a file
    };
    const Case cases[] = {{L"reboot_deletion", {L"f"}, false, 2, true},
                          {L"force_reboot", {L"f"}, false, 2, true},
                          {L"force_reboot", {}, false, 1, false},
                          {L"reboot_deletion", {L"f"}, true, 2, false},
                          {L"other", {L"f"}, false, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control + L" " + std::to_wstring(c.files.size()));
        FakeSystem fs;
        fs.deletableFrom = {{L"f", -1}, {L"d", -1}};
        fs.schedulingFails = c.schedulingFails;
        DeletionOutcome out = runDeletionPasses(listWith(c.control, c.files, {L"d"}), fs);
        EXPECT_EQ(out.passes, kDeletionPasses);
        EXPECT_EQ(fs.pass, kDeletionPasses - 1) << "no pause after the last pass";
        EXPECT_EQ(fs.count(L"schedule"), c.scheduled);
        if (c.scheduled) {
            EXPECT_EQ(fs.calls.back(), L"schedule d in pass 59");
        }
        EXPECT_EQ(out.rebootNeeded, c.rebootNeeded);
        EXPECT_EQ(out.left.size(), c.files.size() + 1);
    }
}

TEST(DeletionPasses, PrivateTempPathsAreScheduledAtOnceAndHoldNothingUp) {
    const std::wstring priv = L"C:\\T\\cvo1.tmp_dir2\\a.jar";
    FakeSystem fs;
    fs.deletableFrom = {{priv, -1}};
    DeletionOutcome out = runDeletionPasses(listWith(L"other", {priv}, {}), fs);
    EXPECT_EQ(out.passes, 1);
    EXPECT_EQ(fs.count(L"schedule " + priv + L" in pass 0"), 1);
    EXPECT_FALSE(out.rebootNeeded);
    EXPECT_EQ(out.left, Lines{priv});

    // Retried while something else keeps the passes going, scheduled only once.
    FakeSystem again;
    again.deletableFrom = {{priv, 4}, {L"late", 2}};
    out = runDeletionPasses(listWith(L"other", {priv, L"late"}, {}), again);
    EXPECT_EQ(out.passes, 3);
    EXPECT_EQ(again.count(L"del " + priv), 3);
    EXPECT_EQ(again.count(L"schedule"), 1);
    EXPECT_EQ(out.left, Lines{priv});
}
