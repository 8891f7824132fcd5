package com.quillpack.runtime.installer.platform.win32;

/**
 * Windows services on this machine. The integer methods return 0 on success, otherwise a
 * Windows error code below 5000 (1060: no such service, 1062: not started, 1073: exists
 * already), or 5000 when the service control manager cannot be opened. A service name, or any
 * other text argument of {@link #installService0}, {@link #startService0} and
 * {@link #changeServiceConfig0}, with a NUL character inside gives 123 (invalid name) before
 * anything is changed;
 * {@link #getServiceBinary0} then gives {@code " 123"}.
 */
public final class Win32Services {
    private Win32Services() {}

    /**
     * Creates a service of its own process, started on demand, running as the local system
     * account; change the rest with the other methods.
     *
     * @param name the service name
     * @param displayName the display name (unique among services)
     * @param binaryPath the command line that runs it
     * @return 0 or an error code
     */
    public static native int installService0(String name, String displayName, String binaryPath);

    /**
     * Changes a service's configuration; null leaves a text setting unchanged.
     *
     * @param name the service name
     * @param displayName the new display name, or null
     * @param binaryPath the new command line, or null
     * @param serviceType the service type, or {@code 0xFFFFFFFF} (-1) to leave it
     * @param startType 2 automatic, 3 on demand, 4 disabled, or -1 to leave it
     * @param dependencies the services it depends on, separated by commas; null or empty
     *     removes every dependency (this setting is always replaced)
     * @param account the account it runs as ({@code NT AUTHORITY\System} and
     *     {@code NT AUTHORITY\LocalSystem}, written exactly so, mean the local system), or null
     * @param password the account's password, or null
     * @param description the description, set only when the rest succeeded, or null; whether
     *     it was set is not reported
     * @return 0 or an error code; 87 when the dependency list would exceed 8,192 characters
     *     (each name with a NUL, and a final NUL), before anything is changed
     */
    public static native int changeServiceConfig0(String name, String displayName, String binaryPath,
            int serviceType, int startType, String dependencies, String account, String password,
            String description);

    /**
     * Sets or clears the service's restart after a failure.
     *
     * @param name the service name
     * @param restart restart it after a failure; false removes its failure actions
     * @param delay the delay before the restart, in milliseconds
     * @return 0 or an error code; 1 when Windows lacks the function
     */
    public static native int setRestartServiceConfig0(String name, boolean restart, int delay);

    /**
     * Sets whether an automatic service starts delayed.
     *
     * @param name the service name
     * @param delayed start it delayed
     * @return 0 or an error code
     */
    public static native int setDelayedAutoStart0(String name, boolean delayed);

    /**
     * Stops a service and waits while it reports progress.
     *
     * @param name the service name
     * @return 0 when it stopped; 5001 when it accepted the request but did not reach the
     *     stopped state; 1062 when it was not running; another error code
     */
    public static native int stopService0(String name);

    /**
     * Starts a service without waiting for it to run.
     *
     * @param name the service name
     * @param arguments its start arguments, or null for none; a null element is passed as an
     *     empty argument
     * @return 0 or an error code
     */
    public static native int startService0(String name, String[] arguments);

    /**
     * Marks a service for deletion (it goes once stopped and no longer open).
     *
     * @param name the service name
     * @return 0 or an error code
     */
    public static native int uninstallService0(String name);

    /**
     * A service's state.
     *
     * @param name the service name
     * @return minus the state (-1 stopped, -2 start pending, -3 stop pending, -4 running,
     *     -5 continue pending, -6 pause pending, -7 paused), or a positive error code
     */
    public static native int queryStatus0(String name);

    /**
     * A service's start type.
     *
     * @param name the service name
     * @return minus the start type (0 boot, -1 system, -2 automatic, -3 on demand,
     *     -4 disabled), or a positive error code
     */
    public static native int getStartType0(String name);

    /**
     * A service's command line.
     *
     * @param name the service name
     * @return the command line as Windows stores it, whatever its length; on failure a space
     *     and the error code, such as {@code " 1060"}
     */
    public static native String getServiceBinary0(String name);
}
