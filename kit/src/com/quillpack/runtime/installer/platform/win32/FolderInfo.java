package com.quillpack.runtime.installer.platform.win32;

/** Special folders, system directories, short and universal path names and drive types. */
public final class FolderInfo {
    /** Folder code: the desktop (with all users: the common desktop). */
    public static final int DESKTOP = 1;
    /** Folder code: the Start menu. */
    public static final int START_MENU = 2;
    /** Folder code: the Start menu's programs. */
    public static final int PROGRAMS = 3;
    /** Folder code: the Start menu's startup folder. */
    public static final int STARTUP = 4;
    /** Folder code: Send To (the same for all users). */
    public static final int SEND_TO = 5;
    /** Folder code: the fonts (the same for all users). */
    public static final int FONTS = 6;
    /** Folder code: the roaming application data (with all users: ProgramData). */
    public static final int APPLICATION_DATA = 7;
    /** Folder code: the documents. */
    public static final int DOCUMENTS = 8;
    /** Folder code: the templates. */
    public static final int TEMPLATES = 9;
    /** Folder code: the favorites. */
    public static final int FAVORITES = 10;
    /** Folder code: the local application data (the same with all users). */
    public static final int LOCAL_APPLICATION_DATA = 11;
    /** Folder code: the downloads. */
    public static final int DOWNLOADS = 1001;
    /** Folder code: the user's own program files. */
    public static final int USER_PROGRAM_FILES = 1002;
    /** Folder code: the user's own common program files. */
    public static final int USER_PROGRAM_FILES_COMMON = 1003;

    private FolderInfo() {}

    /**
     * A special folder's path. Codes up to 1000 are created when missing; any unlisted code up
     * to 1000 gives the desktop, any unlisted code above 1003 the user's profile folder.
     *
     * @param code a folder code of this class
     * @param common the all-users folder instead of the user's own (ignored above 1000)
     * @return the folder, or null when Windows does not know it
     */
    public static native String getSpecialFolder0(int code, boolean common);

    /**
     * A text value of {@code HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion}, such
     * as {@code ProgramFilesDir}, as stored (not expanded), read in the 64-bit view.
     *
     * @param valueName the value's name (null: the key's default value)
     * @return the stored data as text up to its first NUL, or null when the value cannot be read
     *     or is larger than 32,767 bytes
     */
    public static native String getPathFromRegistry0(String valueName);

    /**
     * The Windows directory (the system-wide one on terminal servers).
     *
     * @return the directory, or null
     */
    public static native String getWindowsDirectory0();

    /**
     * The system directory.
     *
     * @return the directory, or null
     */
    public static native String getSystemDirectory0();

    /**
     * The kind of a drive.
     *
     * @param root a root path such as {@code C:\}, or null for the current directory's drive
     * @return as Windows reports it: 0 unknown, 1 no such root directory, 2 removable, 3 fixed,
     *     4 remote, 5 optical disc, 6 RAM disk
     */
    public static native int getDriveType0(String root);

    /**
     * The short (8.3) form of a path.
     *
     * @param path an existing path
     * @return the short form, or the very string passed in when there is none (such as for a
     *     path that does not exist)
     */
    public static native String getShortPathName0(String path);

    /**
     * The network (UNC) path of a path on a mapped drive.
     *
     * @param path a path
     * @return the UNC path; {@code ";"} followed by the Windows error code when there is none
     *     (a local path gives such an error); the argument itself when the network library is
     *     missing or the path is null
     */
    public static native String getUniversalPathName0(String path);
}
