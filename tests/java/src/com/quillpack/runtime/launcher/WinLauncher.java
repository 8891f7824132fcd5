package com.quillpack.runtime.launcher;

import com.quillpack.standin.Recorder;

/** Main class the launcher calls for the product kind 'q'. */
public final class WinLauncher {
    private WinLauncher() {}

    public static void main(String[] args) throws Exception {
        Recorder.run(WinLauncher.class, args);
    }
}
