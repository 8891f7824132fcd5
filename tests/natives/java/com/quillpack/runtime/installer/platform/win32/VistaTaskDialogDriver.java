package com.quillpack.runtime.installer.platform.win32;

/** args: test dll. Shows two task dialogs, which the test operates from outside. */
public final class VistaTaskDialogDriver {
    private static final int ALLOW_CANCELLATION = 0x8;
    private static final int INFORMATION_ICON = 32516;

    private VistaTaskDialogDriver() {}

    private static int show(String title) {
        return VistaTaskDialog.show0(0, title, "Instruction", "Content", ALLOW_CANCELLATION, INFORMATION_ICON, 0,
                "Remember", new String[] {"First", "Second"}, 0);
    }

    public static void main(String[] args) {
        NativeCases.load(args);
        // The dialog comes from the common controls the process has loaded.
        System.loadLibrary("comctl32");
        int second = show("qpk task second");
        NativeCases.check("second custom button gives 2", second == 2, "got " + second);
        int first = show("qpk task verify");
        NativeCases.check("first button with the verification box ticked gives -1", first == -1, "got " + first);
        NativeCases.done();
    }
}
