package com.quillpack.runtime.installer.platform.win32;

final class Win32Exec {
    private Win32Exec() {}

    static native int launch0(String application, String commandLine);
}
