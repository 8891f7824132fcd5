package com.quillpack.runtime.installer.platform.win32;

final class ShellLink {
    private ShellLink() {}

    static native boolean createWide0(String link, String target, String workingDirectory,
            String icon, String arguments, boolean runAsAdmin, String description,
            int showCommand);

    static native boolean changeNotify0(byte[] createdFile, byte[] directory);

    static native boolean initialize0();

    static native boolean uninitialize();

    // Exported by the launcher but never registered; declared as the real class has it.
    static native boolean create0(String link, byte[] target, byte[] workingDirectory,
            byte[] icon, byte[] arguments, boolean runAsAdmin, byte[] description);
}
