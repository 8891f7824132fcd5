package com.quillpack.runtime.launcher;

import com.quillpack.standin.Recorder;

/**
 * Main class the launcher calls for the product kind 'q'. It takes the place of the kit's
 * class of this name, which comes after this archive on the class path, to record what the
 * launcher hands over.
 */
public final class WinLauncher {
    private WinLauncher() {}

    public static void main(String[] args) throws Exception {
        Recorder.run(WinLauncher.class, args);
    }
}
