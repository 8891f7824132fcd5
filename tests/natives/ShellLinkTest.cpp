// The ShellLink natives from real Java through JNI; the links are then loaded again through
// the shell's link object, as Windows would read them.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "BuildPaths.h"
#include "NativeDriver.h"
#include "ScratchDir.h"
#include "Utf8.h"

namespace {

struct LinkFields {
  std::wstring path, workingDirectory, arguments, description, icon;
  DWORD flags = 0;
};

// Loads a link file through IShellLinkW and IPersistFile; false if it cannot be loaded.
bool loadLink(const std::string& file, LinkFields& out) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return false;
  IPersistFile* persist = nullptr;
  IShellLinkDataList* dataList = nullptr;
  bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
            SUCCEEDED(persist->Load(qpktest::widen(file).c_str(), STGM_READ));
  if (ok) {
    wchar_t text[1024];
    int index = 0;
    if (SUCCEEDED(link->GetPath(text, 1024, nullptr, SLGP_RAWPATH))) out.path = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, 1024))) out.workingDirectory = text;
    if (SUCCEEDED(link->GetArguments(text, 1024))) out.arguments = text;
    if (SUCCEEDED(link->GetDescription(text, 1024))) out.description = text;
    if (SUCCEEDED(link->GetIconLocation(text, 1024, &index))) out.icon = text;
    if (SUCCEEDED(link->QueryInterface(IID_IShellLinkDataList, reinterpret_cast<void**>(&dataList))))
      dataList->GetFlags(&out.flags);
  }
  if (dataList) dataList->Release();
  if (persist) persist->Release();
  link->Release();
  return ok;
}

// The ShowCommand field of a link file's header (4 bytes at offset 60, little-endian).
int headerShowCommand(const std::string& file) {
  if (file.size() < 64) return -1;
  return int(uint8_t(file[60]) | uint8_t(file[61]) << 8 | uint8_t(file[62]) << 16 | uint32_t(uint8_t(file[63])) << 24);
}

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) c = wchar_t(towlower(c));
  return text;
}

TEST(ShellLinkNatives, DriverCasesAndLinksReadBack) {
  qpktest::ScratchDir scratch("qpk-links");
  const std::string target = qpktest::helperPath("testwindow");
  qpknatives::DriverRun run = qpknatives::runDriver("ShellLinkDriver", {scratch.path(), target});
  qpknatives::expectAllPassed(run, 10);

  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  LinkFields full, bare, narrow;
  ASSERT_TRUE(loadLink(scratch.path("full ü.lnk"), full));
  EXPECT_EQ(lower(full.path), lower(qpktest::widen(target)));
  EXPECT_EQ(full.workingDirectory, qpktest::widen(scratch.path()));
  EXPECT_EQ(full.arguments, L"--flag \"two words\"");
  EXPECT_EQ(full.description, L"Description ü");
  EXPECT_EQ(lower(full.icon), lower(qpktest::widen(target)));
  // Wine's link object does not load the show command back; the file's header holds it.
  EXPECT_EQ(headerShowCommand(scratch.readFile("full ü.lnk").value_or("")), 7);
  if (qpknatives::onWine())
    qpknatives::skipCheck("the saved link asks for elevation", "Wine drops SLDF_RUNAS_USER when it saves a link");
  else
    EXPECT_NE(full.flags & SLDF_RUNAS_USER, 0u);

  ASSERT_TRUE(loadLink(scratch.path("bare.lnk"), bare));
  EXPECT_EQ(lower(bare.path), lower(qpktest::widen(target)));
  EXPECT_EQ(bare.workingDirectory, L"");
  EXPECT_EQ(bare.arguments, L"");
  EXPECT_EQ(bare.description, L"");
  EXPECT_EQ(bare.icon, L"");
  EXPECT_EQ(headerShowCommand(scratch.readFile("bare.lnk").value_or("")), 1);
  EXPECT_EQ(bare.flags & SLDF_RUNAS_USER, 0u);

  ASSERT_TRUE(loadLink(scratch.path("narrow.lnk"), narrow));
  EXPECT_EQ(lower(narrow.path), lower(qpktest::widen(target)));
  EXPECT_EQ(narrow.arguments, L"narrow args");
  EXPECT_EQ(narrow.description, L"narrow");
  EXPECT_FALSE(scratch.exists("missing"));
  EXPECT_FALSE(scratch.exists("no target.lnk"));
  CoUninitialize();
}

}  // namespace
