// Every native the launcher registers, exported under its JNI name, so that registration can
// be exercised against a module other than the launcher. Registration needs only the
// addresses; nothing ever calls these.
#define QPK_NATIVE(cls, method, descriptor) \
  extern "C" __declspec(dllexport) void Java_com_quillpack_runtime_installer_platform_win32_##cls##_##method() {}
#include "NativeMethods.inc"
#undef QPK_NATIVE
