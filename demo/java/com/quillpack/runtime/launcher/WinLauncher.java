package com.quillpack.runtime.launcher;

import com.quillpack.demo.DemoInstaller;

/** Main class the launcher calls for the product kind 'q': the demo installer. */
public final class WinLauncher {
    private WinLauncher() {}

    public static void main(String[] args) {
        System.exit(DemoInstaller.run(args));
    }
}
