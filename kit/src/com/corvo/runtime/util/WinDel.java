package com.corvo.runtime.util;

/**
 * Where the launcher publishes its own executable before the installer's main class runs.
 * Through it the Java side starts the executable again in its auxiliary roles:
 * {@code "__qpk_windel" LISTFILE} deletes files after the installer has ended (see
 * {@link com.quillpack.kit.Setup#deleteWhenDone}), {@code "__qpk_reboot"} restarts the machine
 * after five seconds.
 */
public final class WinDel {
    /**
     * The full path of the setup's executable, set by the launcher for every product kind;
     * null when the Java side was not started by a setup launcher.
     */
    public static String externalExecutable;

    private WinDel() {}
}
