package com.quillpack.runtime.installer.platform.win32;

/** Starts a program without waiting for it. */
public final class Win32Exec {
    private Win32Exec() {}

    /**
     * Starts a program with normal priority, this process's environment and current directory;
     * it inherits no handles.
     *
     * @param application the executable, or null to take it from the command line
     * @param commandLine the command line, the program first
     * @return 0 when started, else the Windows error code (2: the program was not found; 123:
     *     the application or command line holds a NUL character, nothing is started)
     */
    public static native int launch0(String application, String commandLine);
}
