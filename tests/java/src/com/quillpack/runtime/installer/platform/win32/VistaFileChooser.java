package com.quillpack.runtime.installer.platform.win32;

final class VistaFileChooser {
    private VistaFileChooser() {}

    static native void initialize0();

    static native String[] displayDialog0(long owner, String title, String okLabel,
            String initialFolder, String initialFileName, int setOptions, int clearOptions,
            boolean save, String defaultExtension, String[] filterNames, String[] filterPatterns,
            int filterIndex, String[] checkBoxLabels, boolean[] checkBoxStates);
}
