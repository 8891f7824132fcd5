package com.quillpack.runtime.installer.platform.win32;

import java.util.List;

/** A kit whose Common has no initFromLauncher: the launcher binds no native then. */
public final class Common {
    private Common() {}

    /** Nothing can have been bound. */
    public static boolean nativesBound() {
        return false;
    }

    /** What the stand-in's record asks for; nothing can have been received. */
    public static List<Boolean> launcherReports() {
        return List.of();
    }
}
