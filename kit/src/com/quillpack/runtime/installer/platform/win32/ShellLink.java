package com.quillpack.runtime.installer.platform.win32;

/**
 * Shortcut files (.lnk) and shell notifications. COM must be initialised on the calling thread:
 * call {@link #initialize0}, create the links, then {@link #uninitialize}, all on the same
 * thread. The two pair up per thread: {@link #uninitialize} undoes only what
 * {@link #initialize0} set up there, never COM state that other code set up.
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
     * @return true when the shortcut file was saved; false when the link or target is null, any
     *     of the texts holds a NUL character, or the file cannot be saved
     */
    public static native boolean createWide0(String link, String target, String workingDirectory,
            String icon, String arguments, boolean runAsAdmin, String description,
            int showCommand);

    /**
     * Tells the shell that a file was created and a directory changed, so that it shows them at
     * once; returns when the shell has processed the second notification.
     *
     * @param createdFile the created file as UTF-16LE bytes, read up to the first NUL character
     *     (two zero bytes) or the end of the array; null sends no notice
     * @param directory the changed directory, in the same form; null sends no notice
     * @return always true
     */
    public static native boolean changeNotify0(byte[] createdFile, byte[] directory);

    /**
     * Initialises COM on this thread. Where COM already runs here in the other threading mode,
     * it is left so; links can still be made.
     *
     * @return always true
     */
    public static native boolean initialize0();

    /**
     * Undoes one {@link #initialize0} of this thread that initialised COM; does nothing when
     * none is left to undo.
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
     * @return true when the shortcut file was saved; false when the link or target is null or
     *     the link holds a NUL character
     */
    static native boolean create0(String link, byte[] target, byte[] workingDirectory,
            byte[] icon, byte[] arguments, boolean runAsAdmin, byte[] description);
}
