// A GUI-subsystem program, like the launcher, that shows one message box and exits with
// what MessageBoxW returned (-1 shows as 4294967295).
//   boxshow CAPTION TEXT [TYPE]   TYPE: the MB_* flags as a decimal number (default MB_OK)
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 1000;
  UINT type = argc > 3 ? static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10)) : MB_OK;
  return MessageBoxW(nullptr, argv[2], argv[1], type);
}
