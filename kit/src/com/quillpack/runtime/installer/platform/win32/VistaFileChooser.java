package com.quillpack.runtime.installer.platform.win32;

/** The Windows file dialog, to open or save, with file type filters and extra check boxes. */
public final class VistaFileChooser {
    private VistaFileChooser() {}

    /** Initialises COM on this thread; call it on the thread that later shows the dialog. */
    public static native void initialize0();

    /**
     * Shows the dialog and waits until the user closes it. Every string may be null to leave
     * that property as the dialog has it.
     *
     * @param owner the owner window handle, or 0
     * @param title the window title
     * @param okLabel the text of the OK button
     * @param initialFolder the folder shown first
     * @param initialFileName the file name filled in
     * @param setOptions dialog option bits ({@code FOS_*}) to set
     * @param clearOptions dialog option bits to clear
     * @param save a save dialog (true) or an open dialog (false)
     * @param defaultExtension the extension added to a name typed without one
     * @param filterNames the filters' names, or null for no filters
     * @param filterPatterns their patterns such as {@code *.txt;*.log}, as many as the names
     *     (ignored when the names are null)
     * @param filterIndex the filter chosen first (from 0), or negative for the dialog's default
     * @param checkBoxLabels labels of extra check boxes (grouped under "Options:" when there are
     *     two or more), or null for none
     * @param checkBoxStates their states, as many as the labels: read when the dialog opens and,
     *     after OK, written back with the user's choices
     * @return the chosen paths (exactly one in a save dialog; null for a chosen item that has
     *     no file system path), or null when the user cancelled, the dialog could not be shown,
     *     the patterns do not pair with the names, or there are labels and the states do not
     *     pair with them (nothing is shown then)
     */
    public static native String[] displayDialog0(long owner, String title, String okLabel,
            String initialFolder, String initialFileName, int setOptions, int clearOptions,
            boolean save, String defaultExtension, String[] filterNames, String[] filterPatterns,
            int filterIndex, String[] checkBoxLabels, boolean[] checkBoxStates);
}
