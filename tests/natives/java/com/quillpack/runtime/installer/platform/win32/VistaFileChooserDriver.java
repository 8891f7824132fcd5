package com.quillpack.runtime.installer.platform.win32;

import java.util.Arrays;

/**
 * args: test dll, a directory holding "chosen.txt". Shows three dialogs one after the other,
 * each with its own title, which the test operates from outside.
 */
public final class VistaFileChooserDriver {
    private VistaFileChooserDriver() {}

    private static String[] show(String title, boolean save, String dir, String name, String[] labels,
            boolean[] states) {
        return VistaFileChooser.displayDialog0(0, title, null, dir, name, 0, 0, save, save ? "txt" : null,
                new String[] {"Text files", "All files"}, new String[] {"*.txt", "*.*"}, 0, labels, states);
    }

    public static void main(String[] args) {
        NativeCases.load(args);
        String dir = args[1];
        VistaFileChooser.initialize0();

        // Arrays that do not pair are refused before any dialog is made.
        NativeCases.check("fewer states than check boxes gives null",
                show("qpk refused", false, dir, null, new String[] {"A", "B"}, new boolean[1]) == null, "");
        NativeCases.check("filter names without patterns give null",
                VistaFileChooser.displayDialog0(0, "qpk refused", null, null, null, 0, 0, false, null,
                        new String[] {"Text"}, null, 0, null, null) == null, "");

        // The test types "chosen.txt", ticks "Alpha" and presses OK.
        boolean[] states = {false, true};
        String[] chosen = show("qpk open", false, dir, null, new String[] {"Alpha", "Beta"}, states);
        NativeCases.check("open: the typed file is chosen",
                chosen != null && chosen.length == 1 && chosen[0].equalsIgnoreCase(dir + "\\chosen.txt"),
                Arrays.toString(chosen));
        NativeCases.check("open: the ticked box comes back checked", states[0] && states[1],
                Arrays.toString(states));

        // The test presses Cancel after ticking "Solo".
        boolean[] solo = {false};
        String[] cancelled = show("qpk cancel", false, dir, null, new String[] {"Solo"}, solo);
        NativeCases.check("cancel gives null", cancelled == null, Arrays.toString(cancelled));
        NativeCases.check("cancel leaves the states alone", !solo[0], "");

        // The test accepts the proposed name.
        String[] saved = show("qpk save", true, dir, "saved", null, null);
        NativeCases.check("save: one path, with the default extension",
                saved != null && saved.length == 1 && saved[0].equalsIgnoreCase(dir + "\\saved.txt"),
                Arrays.toString(saved));
        NativeCases.done();
    }
}
