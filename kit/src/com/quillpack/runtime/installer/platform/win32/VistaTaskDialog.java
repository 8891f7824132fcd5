package com.quillpack.runtime.installer.platform.win32;

/** The task dialog: a message box with buttons of its own and a verification check box. */
public final class VistaTaskDialog {
    private VistaTaskDialog() {}

    /**
     * Shows the dialog and waits until the user closes it. The process must have loaded the
     * version 6 common controls (the launcher does).
     *
     * @param owner the owner window handle (the dialog stays just above it), or 0
     * @param title the window title
     * @param instruction the main instruction
     * @param content the content text
     * @param flags task dialog flags ({@code TDF_*})
     * @param icon a system icon resource number, such as 32515 for the warning icon
     * @param width the width in dialog units, or 0 to let Windows choose
     * @param verificationText the verification check box's text, or null for none
     * @param buttons the button labels (possibly empty; null: none)
     * @param defaultButton the index of the default button
     * @return i + 1 for the button at index i; 1000 when the dialog was closed without one of
     *     them or could not be shown; negated when the verification box was checked; 0 when
     *     the common controls offer no task dialog or the labels cannot be read
     */
    public static native int show0(long owner, String title, String instruction, String content,
            int flags, int icon, int width, String verificationText, String[] buttons,
            int defaultButton);
}
