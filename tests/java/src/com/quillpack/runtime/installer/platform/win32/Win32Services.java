package com.quillpack.runtime.installer.platform.win32;

final class Win32Services {
    private Win32Services() {}

    static native int installService0(String name, String displayName, String binaryPath);

    static native int changeServiceConfig0(String name, String displayName, String binaryPath,
            int serviceType, int startType, String dependencies, String account, String password,
            String description);

    static native int setRestartServiceConfig0(String name, boolean restart, int delay);

    static native int setDelayedAutoStart0(String name, boolean delayed);

    static native int stopService0(String name);

    static native int startService0(String name, String[] arguments);

    static native int uninstallService0(String name);

    static native int queryStatus0(String name);

    static native int getStartType0(String name);

    static native String getServiceBinary0(String name);
}
