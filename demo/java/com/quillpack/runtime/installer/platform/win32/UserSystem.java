package com.quillpack.runtime.installer.platform.win32;

/**
 * The demo installer's way to the natives the launcher bound: per-user folders, the
 * HKEY_CURRENT_USER registry and shell links. The native classes are package-private.
 */
public final class UserSystem {
    private static final int HKEY_CURRENT_USER = 2;
    private static final int STRING = 1;
    private static final int DEFAULT_VIEW = 0;
    private static final int LOCAL_APPDATA = 11;
    private static final int PROGRAMS_MENU = 3;
    private static final int SHOW_NORMAL = 1;

    private UserSystem() {}

    /** The user's local program folder, AppData\Local\Programs; null if unknown. */
    public static String localProgramsFolder() {
        String appData = FolderInfo.getSpecialFolder0(LOCAL_APPDATA, false);
        return appData == null ? null : appData + "\\Programs";
    }

    /** The user's Start menu programs folder; null if unknown. */
    public static String programsMenuFolder() {
        return FolderInfo.getSpecialFolder0(PROGRAMS_MENU, false);
    }

    public static boolean setUserString(String key, String name, String value) {
        return Registry.setValue0(HKEY_CURRENT_USER, key, name, value, STRING, DEFAULT_VIEW);
    }

    public static boolean userKeyExists(String key) {
        return Registry.keyExists0(HKEY_CURRENT_USER, key, DEFAULT_VIEW);
    }

    /** Removes the key and everything under it; true if it is gone afterwards. */
    public static boolean deleteUserKey(String key) {
        Registry.deleteKey0(HKEY_CURRENT_USER, key, false, DEFAULT_VIEW);
        return !userKeyExists(key);
    }

    public static boolean createLink(String link, String target, String workingDirectory, String description) {
        ShellLink.initialize0();
        try {
            return ShellLink.createWide0(link, target, workingDirectory, "", "", false, description, SHOW_NORMAL);
        } finally {
            ShellLink.uninitialize();
        }
    }
}
