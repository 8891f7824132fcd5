package com.quillpack.runtime.installer.platform.win32;

import java.util.ArrayList;
import java.util.List;

/** The launcher reports here, before main, whether it bound the natives. */
public final class Common {
    private static final List<Boolean> received = new ArrayList<>();

    private Common() {}

    public static void initFromLauncher(boolean flag) {
        synchronized (received) {
            received.add(flag);
        }
    }

    /** The flags received so far, in order, comma-separated; empty if none. */
    public static String flagsReceived() {
        synchronized (received) {
            StringBuilder text = new StringBuilder();
            for (Boolean flag : received) {
                if (text.length() > 0) {
                    text.append(',');
                }
                text.append(flag);
            }
            return text.toString();
        }
    }
}
