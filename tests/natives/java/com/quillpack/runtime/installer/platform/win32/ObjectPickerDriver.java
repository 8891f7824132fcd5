package com.quillpack.runtime.installer.platform.win32;

import java.awt.Frame;

/** args: test dll. Without a window of its own, then with one, whose picker the test cancels. */
public final class ObjectPickerDriver {
    private ObjectPickerDriver() {}

    public static void main(String[] args) throws Exception {
        NativeCases.load(args);
        NativeCases.check("no window of this process gives null",
                ObjectPicker.show0(false, true, true, true, true) == null, "");
        if (NativeCases.onWine()) {
            NativeCases.skip("a cancelled picker gives null", "Wine's picker has no dialog: it fails at once");
        } else {
            Frame frame = new Frame("qpk picker owner");
            frame.setSize(200, 100);
            frame.setVisible(true);
            long deadline = System.nanoTime() + 30_000_000_000L;
            while (!frame.isShowing() && System.nanoTime() < deadline) {
                Thread.sleep(20);
            }
            // The test cancels the dialog from outside.
            ObjectPicker.Result[] picked = ObjectPicker.show0(true, true, true, false, false);
            NativeCases.check("a cancelled picker gives null", picked == null, "got results");
            frame.dispose();
        }
        NativeCases.done();
    }
}
