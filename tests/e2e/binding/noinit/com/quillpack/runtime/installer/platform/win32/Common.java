package com.quillpack.runtime.installer.platform.win32;

/** A runtime whose Common has no initFromLauncher: the launcher binds no native then. */
public final class Common {
    private Common() {}

    /** What the stand-in's record asks for; nothing can have been received. */
    public static String flagsReceived() {
        return "";
    }
}
