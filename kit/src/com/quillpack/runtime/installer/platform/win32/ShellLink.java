package com.quillpack.runtime.installer.platform.win32;

/**
 * Shortcut files (.lnk) and shell notifications. COM must be initialised on the calling thread:
 * call {@link #initialize0} once, create the links, then {@link #uninitialize}, all on the same
 * thread.
 */
public final class ShellLink {
    private ShellLink() {}

    /**
     * Creates a shortcut file.
     *
     * @param link the shortcut file to write; its directory must exist
     * @param target the file the shortcut starts
     * @param workingDirectory its working directory (null or empty: none)
     * @param icon the file that holds its icon (the first icon in it), or null
     * @param arguments the target's arguments, or null
     * @param runAsAdmin start the target with elevation
     * @param description its description, or null
     * @param showCommand the window state: 1 normal, 3 maximised, 7 minimised
     * @return true when the shortcut file was saved
     */
    public static native boolean createWide0(String link, String target, String workingDirectory,
            String icon, String arguments, boolean runAsAdmin, String description,
            int showCommand);

    /**
     * Tells the shell that a file was created and a directory changed, so that it shows them at
     * once; returns when the shell has processed the second notification.
     *
     * @param createdFile the created file as UTF-16LE bytes ending with a NUL character (two
     *     zero bytes)
     * @param directory the changed directory, in the same form
     * @return always true
     */
    public static native boolean changeNotify0(byte[] createdFile, byte[] directory);

    /**
     * Initialises COM on this thread.
     *
     * @return always true
     */
    public static native boolean initialize0();

    /**
     * Uninitialises COM on this thread.
     *
     * @return always true
     */
    public static native boolean uninitialize();

    /**
     * An 8-bit variant of {@link #createWide0} that the launcher exports but does not bind;
     * calling it throws {@link UnsatisfiedLinkError}.
     *
     * @param link the shortcut file
     * @param target NUL-terminated 8-bit text
     * @param workingDirectory NUL-terminated 8-bit text
     * @param icon NUL-terminated 8-bit text, or null
     * @param arguments NUL-terminated 8-bit text, or null
     * @param runAsAdmin start the target with elevation
     * @param description NUL-terminated 8-bit text, or null
     * @return true when the shortcut file was saved
     */
    static native boolean create0(String link, byte[] target, byte[] workingDirectory,
            byte[] icon, byte[] arguments, boolean runAsAdmin, byte[] description);
}
