package com.corvo.runtime;

import com.quillpack.standin.Recorder;

/** Main class for the other product kinds; also receives the splash settings of every kind. */
public final class WinLauncher {
    private static volatile String splash;

    private WinLauncher() {}

    public static void main(String[] args) throws Exception {
        Recorder.run(WinLauncher.class, args);
    }

    public static void initAwtSplashConfig(boolean first, boolean second,
            String text1, int a1, int b1, String text2, int a2, int b2,
            String text3, int a3, int b3, String text4, int a4, int b4) {
        if (System.getenv("QPK_SPLASH_THROW") != null) throw new IllegalStateException("splash stand-in failure");
        splash = first + "," + second + ","
                + text1 + "," + a1 + "," + b1 + ","
                + text2 + "," + a2 + "," + b2 + ","
                + text3 + "," + a3 + "," + b3 + ","
                + text4 + "," + a4 + "," + b4;
    }

    /** The 14 splash arguments, comma-separated, or null if the launcher never passed them. */
    public static String splashArguments() {
        return splash;
    }
}
