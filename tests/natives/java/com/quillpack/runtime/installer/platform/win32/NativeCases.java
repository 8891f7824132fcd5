package com.quillpack.runtime.installer.platform.win32;

/** Result lines of a native driver: one per case, then a summary that the gtest reads. */
final class NativeCases {
    private static int passed;
    private static int failed;

    private NativeCases() {}

    /** Loads the natives DLL named by the first argument. */
    static void load(String[] args) {
        System.load(args[0]);
    }

    static void check(String name, boolean ok, String detail) {
        if (ok) {
            passed++;
            System.out.println("PASS " + name);
        } else {
            failed++;
            System.out.println("FAIL " + name + ": " + detail);
        }
    }

    /** Under Wine, whose limits are skipped cases with their reason, never expected results. */
    static boolean onWine() {
        return "1".equals(System.getenv("QPK_ON_WINE"));
    }

    /** A case that a limit of the platform keeps from running. */
    static void skip(String name, String reason) {
        System.out.println("SKIP " + name + ": " + reason);
    }

    /** A value for the gtest's checks from outside, as "key value". */
    static void info(String key, Object value) {
        System.out.println(key + " " + value);
    }

    /** Prints the summary; the exit code is 1 if any case failed. */
    static void done() {
        System.out.println("DONE passed=" + passed + " failed=" + failed);
        System.out.flush();
        System.exit(failed == 0 ? 0 : 1);
    }
}
