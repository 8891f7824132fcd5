package com.quillpack.demo;

import com.quillpack.runtime.installer.platform.win32.FolderInfo;
import com.quillpack.runtime.installer.platform.win32.Registry;
import com.quillpack.runtime.installer.platform.win32.ShellLink;

/**
 * The demo installer's way to the natives the launcher bound: per-user folders, the
 * HKEY_CURRENT_USER registry and shell links.
 */
final class UserSystem {
    private static final int SHOW_NORMAL = 1;

    private UserSystem() {}

    /** The user's local program folder, AppData\Local\Programs; null if unknown. */
    static String localProgramsFolder() {
        String appData = FolderInfo.getSpecialFolder0(FolderInfo.LOCAL_APPLICATION_DATA, false);
        return appData == null ? null : appData + "\\Programs";
    }

    /** The user's Start menu programs folder; null if unknown. */
    static String programsMenuFolder() {
        return FolderInfo.getSpecialFolder0(FolderInfo.PROGRAMS, false);
    }

    static boolean setUserString(String key, String name, String value) {
        return Registry.setValue0(Registry.HKEY_CURRENT_USER, key, name, value, Registry.STRING, Registry.DEFAULT_VIEW);
    }

    static boolean userKeyExists(String key) {
        return Registry.keyExists0(Registry.HKEY_CURRENT_USER, key, Registry.DEFAULT_VIEW);
    }

    /** Removes the key and everything under it; true if it is gone afterwards. */
    static boolean deleteUserKey(String key) {
        Registry.deleteKey0(Registry.HKEY_CURRENT_USER, key, false, Registry.DEFAULT_VIEW);
        return !userKeyExists(key);
    }

    static boolean createLink(String link, String target, String workingDirectory, String description) {
        ShellLink.initialize0();
        try {
            return ShellLink.createWide0(link, target, workingDirectory, "", "", false, description, SHOW_NORMAL);
        } finally {
            ShellLink.uninitialize();
        }
    }
}
