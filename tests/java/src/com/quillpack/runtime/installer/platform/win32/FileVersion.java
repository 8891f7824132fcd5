package com.quillpack.runtime.installer.platform.win32;

final class FileVersion {
    private FileVersion() {}

    static native int compare0(String first, String second);
}
