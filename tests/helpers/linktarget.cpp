// Prints the target of a shell link, loaded the way Windows reads it (IShellLinkW through
// IPersistFile), so that a link can be checked from outside the program that wrote it.
//   linktarget FILE.lnk    the target path and a newline; exit code 1 if it cannot be loaded
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

#include "common/Owned.h"
#include "Utf8.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  if (FAILED(CoInitialize(nullptr))) return 1;
  int rc = 1;
  {
    qpk::UniqueCom<IShellLinkW> link;
    qpk::UniqueCom<IPersistFile> persist;
    wchar_t target[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(link.put()))) &&
        SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.put()))) &&
        SUCCEEDED(persist.get()->Load(argv[1], STGM_READ)) &&
        SUCCEEDED(link.get()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) {
      std::printf("%s\n", qpktest::narrow(target).c_str());
      rc = 0;
    }
  }
  CoUninitialize();
  return rc;
}
