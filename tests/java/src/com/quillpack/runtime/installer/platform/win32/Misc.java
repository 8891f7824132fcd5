package com.quillpack.runtime.installer.platform.win32;

final class Misc {
    private Misc() {}

    static native void reboot0();

    static native String[] getRunningModules0(boolean noDebugPrivilege);

    static native String[] getEnvVarPairs0();

    static native void broadcastSettingChange0();

    static native long getPhysicalMemory0();

    static native long getFreeDiskSpace0(String directory);

    static native boolean moveWithDelayUntilReboot0(String from, String to);

    static native void toFront0();

    static native int terminateProcesses0(int[] ids, boolean force, int timeout);

    static native String getWindowTitle0(int pid);

    static native long findMainWindow0(int pid);

    static native void setForegroundWindow0(long window);
}
