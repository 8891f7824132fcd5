package com.quillpack.runtime.launcher;

/** The main class of a broken installer archive: it loads, but has no main method. */
public final class WinLauncher {
    private WinLauncher() {}

    public static void run(String[] args) {}
}
