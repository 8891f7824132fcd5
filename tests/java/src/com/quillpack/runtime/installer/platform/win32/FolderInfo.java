package com.quillpack.runtime.installer.platform.win32;

final class FolderInfo {
    private FolderInfo() {}

    static native String getSpecialFolder0(int code, boolean common);

    static native String getPathFromRegistry0(String valueName);

    static native String getWindowsDirectory0();

    static native String getSystemDirectory0();

    static native int getDriveType0(String root);

    static native String getShortPathName0(String path);

    static native String getUniversalPathName0(String path);
}
