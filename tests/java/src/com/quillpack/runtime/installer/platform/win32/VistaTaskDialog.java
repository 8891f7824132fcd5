package com.quillpack.runtime.installer.platform.win32;

final class VistaTaskDialog {
    private VistaTaskDialog() {}

    static native int show0(long owner, String title, String instruction, String content,
            int flags, int icon, int width, String verificationText, String[] buttons,
            int defaultButton);
}
