package com.quillpack.runtime.installer.platform.win32;

/** args: test dll, library 1.2.3.4, library 1.2.3.10, a file without a version resource. */
public final class FileVersionDriver {
    private FileVersionDriver() {}

    public static void main(String[] args) {
        NativeCases.load(args);
        String older = args[1];
        String newer = args[2];
        String plain = args[3];
        Object[][] cases = {
            {"same file is equal", older, older, 0},
            // 4 < 10 as numbers, though "4" > "10" as text
            {"1.2.3.4 is older than 1.2.3.10", older, newer, 2},
            {"1.2.3.10 is newer than 1.2.3.4", newer, older, 1},
            {"file without version resource is unreadable", older, plain, 3},
            {"missing file is unreadable", older + ".missing", older, 3},
            {"null path is unreadable", null, older, 3},
            {"a path with a NUL inside is unreadable, not the file before it", newer + "\u0000x", older, 3},
        };
        for (Object[] c : cases) {
            int got = FileVersion.compare0((String) c[1], (String) c[2]);
            NativeCases.check((String) c[0], got == (Integer) c[3], "got " + got);
        }
        NativeCases.done();
    }
}
