package com.quillpack.runtime.installer.platform.win32;

/**
 * Reboot, running programs, windows, the environment, memory, disk space and moves at the next
 * boot. Window handles are {@code long} values, 0 meaning none; process ids are {@code int}s.
 */
public final class Misc {
    private Misc() {}

    /** Restarts the machine at once, when the shutdown privilege can be enabled; reports nothing. */
    public static native void reboot0();

    /**
     * The running programs.
     *
     * @param noDebugPrivilege true to switch the debug privilege off first (programs of other
     *     users may then be missing), false to switch it on
     * @return one entry per program: its decimal process id, a space and the full path of its
     *     executable, in the order Windows lists them; null when nothing could be listed
     */
    public static native String[] getRunningModules0(boolean noDebugPrivilege);

    /**
     * This process's environment block.
     *
     * @return one {@code name=value} entry per variable, as stored (entries whose name begins
     *     with {@code =} included); null only when the array cannot be made
     */
    public static native String[] getEnvVarPairs0();

    /** Tells running programs that the environment in the registry changed (waits up to 5 s for each). */
    public static native void broadcastSettingChange0();

    /**
     * The machine's total physical memory.
     *
     * @return the size in bytes
     */
    public static native long getPhysicalMemory0();

    /**
     * The disk space this user may still use (quotas included) on a directory's volume.
     *
     * @param directory a directory, or null for the current directory
     * @return the free bytes, or -1 when the directory's volume cannot be queried or the
     *     directory holds a NUL character
     */
    public static native long getFreeDiskSpace0(String directory);

    /**
     * Schedules a move, or a deletion, for the next start of Windows (this needs
     * administrative rights).
     *
     * @param from an existing file
     * @param to its new name, or null to delete it
     * @return true when scheduled; false when Windows refused it or either name holds a NUL
     *     character
     */
    public static native boolean moveWithDelayUntilReboot0(String from, String to);

    /** Brings every visible window of this process to the front. */
    public static native void toFront0();

    /**
     * Ends processes, forcibly or by asking their windows to close.
     *
     * @param ids the process ids
     * @param force true to terminate them at once (no waiting); false to post {@code WM_CLOSE}
     *     to each of their visible windows and wait for all of them to end
     * @param timeout the longest wait in milliseconds (only without force; -1 waits without
     *     limit)
     * @return 1 when done (also for an empty array); 0 for a null array, or when a process
     *     could not be terminated, a close message could not be posted or a process had no
     *     visible window (then nothing is waited for); 2 when the processes could not be waited
     *     for (one could not be opened, as when it has ended already, or more than 64 of them);
     *     3 when the wait timed out
     */
    public static native int terminateProcesses0(int[] ids, boolean force, int timeout);

    /**
     * A window title of a process, read up to 4,096 characters.
     *
     * @param pid the process id
     * @return the title of its first visible titled top-level window, else that of its last
     *     invisible titled one, else the empty string
     */
    public static native String getWindowTitle0(int pid);

    /**
     * The main window of a process: its first visible top-level window without an owner.
     *
     * @param pid the process id
     * @return the window handle, or 0 when there is none
     */
    public static native long findMainWindow0(int pid);

    /**
     * Restores a window when it is minimised and makes it the foreground window.
     *
     * @param window the window handle
     */
    public static native void setForegroundWindow0(long window);
}
