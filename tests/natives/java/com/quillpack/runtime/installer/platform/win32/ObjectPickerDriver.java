package com.quillpack.runtime.installer.platform.win32;

import java.awt.Frame;

/** args: test dll. Without a window of its own, then with one. */
public final class ObjectPickerDriver {
    private ObjectPickerDriver() {}

    public static void main(String[] args) throws Exception {
        NativeCases.load(args);
        NativeCases.check("no window of this process gives null",
                ObjectPicker.show0(false, true, true, true, true) == null, "");
        Frame frame = new Frame("qpk picker owner");
        frame.setSize(200, 100);
        frame.setVisible(true);
        long deadline = System.nanoTime() + 30_000_000_000L;
        while (!frame.isShowing() && System.nanoTime() < deadline) {
            Thread.sleep(20);
        }
        // Wine's picker cannot show its dialog: the failure convention is null.
        ObjectPicker.Result[] picked = ObjectPicker.show0(true, true, true, false, false);
        NativeCases.check("Wine: the picker fails and gives null", picked == null, "got results");
        frame.dispose();
        NativeCases.done();
    }
}
