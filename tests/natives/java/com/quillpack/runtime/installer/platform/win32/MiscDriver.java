package com.quillpack.runtime.installer.platform.win32;

import java.io.File;
import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.file.Files;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;

/**
 * The Misc natives from Java: args[1] the testwindow helper, args[2] a scratch directory; or
 * args[1] "reboot" and args[2] a file to delete at the restart that reboot0 starts.
 * Prints "closed <pid>" for every process the natives should have ended, and "scheduled
 * <path>" for every file given to moveWithDelayUntilReboot0, for the gtest's checks.
 */
final class MiscDriver {
    private MiscDriver() {}

    public static void main(String[] args) throws Exception {
        NativeCases.load(args);
        if (args[1].equals("reboot")) {
            reboot(new File(args[2]));
            return;
        }
        String helper = args[1];
        File scratch = new File(args[2]);

        processes(helper);
        windows(helper);
        system(scratch);
        NativeCases.done();
    }

    private static Process window(String helper, String title, String mode) throws IOException {
        return new ProcessBuilder(helper, title, mode).start();
    }

    /** Polls up to 20 s for the process's main window. */
    private static long mainWindow(Process p) throws InterruptedException {
        for (int i = 0; i < 200; i++) {
            long window = Misc.findMainWindow0((int) p.pid());
            if (window != 0) {
                return window;
            }
            Thread.sleep(100);
        }
        return 0;
    }

    private static boolean ended(Process p) throws InterruptedException {
        return p.waitFor(10, TimeUnit.SECONDS);
    }

    private static void closed(Process p) {
        NativeCases.info("closed", p.pid());
    }

    private static void processes(String helper) throws Exception {
        Process closes = window(helper, "qpk closes", "close");
        Process ignores = window(helper, "qpk ignores", "ignore");
        Process hidden = window(helper, "qpk hidden", "hidden");
        try {
            boolean shown = mainWindow(closes) != 0 && mainWindow(ignores) != 0;
            NativeCases.check("findMainWindow0 finds the shown windows", shown, "no window within 20 s");

            String self = ProcessHandle.current().pid() + " ";
            String[] modules = Misc.getRunningModules0(false);
            List<String> listed = modules == null ? List.of() : Arrays.asList(modules);
            NativeCases.check("getRunningModules0 entries are id, space, full path",
                    !listed.isEmpty() && listed.stream().allMatch(e -> e.matches("[0-9]+ [A-Za-z]:\\\\.+")),
                    String.valueOf(listed));
            NativeCases.check("getRunningModules0 lists this java.exe",
                    listed.stream().anyMatch(e -> e.startsWith(self) && e.toLowerCase().endsWith("\\java.exe")),
                    String.valueOf(listed));
            NativeCases.check("getRunningModules0 lists the helper",
                    listed.stream().anyMatch(e -> e.startsWith(ignores.pid() + " ")
                            && e.toLowerCase().endsWith("\\testwindow.exe")), String.valueOf(listed));
            String[] withoutDebug = Misc.getRunningModules0(true);
            NativeCases.check("getRunningModules0 without the debug privilege",
                    withoutDebug != null && Arrays.asList(withoutDebug).stream().anyMatch(e -> e.startsWith(self)),
                    Arrays.toString(withoutDebug));

            long start = System.nanoTime();
            int status = Misc.terminateProcesses0(new int[] {(int) hidden.pid()}, false, 10000);
            long ms = (System.nanoTime() - start) / 1000000;
            NativeCases.check("terminateProcesses0 without a visible window: 0 at once",
                    status == 0 && ms < 5000 && hidden.isAlive(), "status " + status + " after " + ms + " ms");

            status = Misc.terminateProcesses0(new int[] {(int) closes.pid()}, false, 10000);
            NativeCases.check("terminateProcesses0 asks politely: 1", status == 1 && ended(closes),
                    "status " + status);
            closed(closes);

            // 65 ids of the one window that stays: every close message is posted, but no wait
            // takes more than 64 handles. (A window that closes would make the later posts fail.)
            int[] many = new int[65];
            Arrays.fill(many, (int) ignores.pid());
            status = Misc.terminateProcesses0(many, false, 10000);
            NativeCases.check("terminateProcesses0 of 65 ids: 2", status == 2 && ignores.isAlive(), "status " + status);

            start = System.nanoTime();
            status = Misc.terminateProcesses0(new int[] {(int) ignores.pid()}, false, 1000);
            ms = (System.nanoTime() - start) / 1000000;
            NativeCases.check("terminateProcesses0 ignored WM_CLOSE: 3 after the time-out",
                    status == 3 && ms >= 900 && ignores.isAlive(), "status " + status + " after " + ms + " ms");

            status = Misc.terminateProcesses0(new int[] {Integer.MAX_VALUE - 1, (int) ignores.pid(),
                    (int) hidden.pid()}, true, 0);
            NativeCases.check("terminateProcesses0 forced, one id missing: 0, the others ended",
                    status == 0 && ended(ignores) && ended(hidden), "status " + status);
            closed(ignores);
            closed(hidden);
        } finally {
            for (Process p : List.of(closes, ignores, hidden)) {
                p.destroyForcibly();
            }
        }
    }

    private static void windows(String helper) throws Exception {
        Process shown = window(helper, "qpk titled", "close");
        Process hidden = window(helper, "qpk hidden title", "hidden");
        try {
            long window = mainWindow(shown);
            NativeCases.check("getWindowTitle0 of a shown window",
                    Misc.getWindowTitle0((int) shown.pid()).startsWith("qpk titled"),
                    Misc.getWindowTitle0((int) shown.pid()));
            String hiddenTitle = "";
            for (int i = 0; i < 200 && hiddenTitle.isEmpty(); i++) {
                Thread.sleep(100);
                hiddenTitle = Misc.getWindowTitle0((int) hidden.pid());
            }
            // Which invisible one is open: the last in the enumeration, often the thread's
            // "Default IME" window rather than our own.
            NativeCases.check("getWindowTitle0 falls back to an invisible titled window", !hiddenTitle.isEmpty(),
                    "empty");
            NativeCases.check("findMainWindow0 skips invisible windows", Misc.findMainWindow0((int) hidden.pid()) == 0,
                    "found one");
            NativeCases.check("getWindowTitle0 of a process without windows",
                    Misc.getWindowTitle0(Integer.MAX_VALUE - 1).isEmpty(), "not empty");

            long start = System.nanoTime();
            Misc.broadcastSettingChange0();
            long ms = (System.nanoTime() - start) / 1000000;
            String title = Misc.getWindowTitle0((int) shown.pid());
            NativeCases.check("broadcastSettingChange0 reaches the windows",
                    title.contains("(environment)") && ms < 6000, title + " after " + ms + " ms");

            Misc.setForegroundWindow0(window);
            title = "";
            for (int i = 0; i < 50 && !title.contains("(active)"); i++) {
                Thread.sleep(100);
                title = Misc.getWindowTitle0((int) shown.pid());
            }
            NativeCases.check("setForegroundWindow0 activates the window", title.contains("(active)"), title);

            Process minimized = window(helper, "qpk minimized", "minimized");
            long minimizedWindow = mainWindow(minimized);
            String wasTitle = Misc.getWindowTitle0((int) minimized.pid());
            Misc.setForegroundWindow0(minimizedWindow);
            title = "";
            for (int i = 0; i < 50 && (title.isEmpty() || title.contains("(minimized)")); i++) {
                Thread.sleep(100);
                title = Misc.getWindowTitle0((int) minimized.pid());
            }
            minimized.destroyForcibly();
            NativeCases.check("setForegroundWindow0 restores a minimised window",
                    wasTitle.contains("(minimized)") && title.contains("(active)") && !title.contains("(minimized)"),
                    wasTitle + " -> " + title);

            // A window of this process, behind the helper's, is brought back by toFront0.
            java.awt.Frame frame = new java.awt.Frame("qpk java frame");
            frame.setBounds(50, 50, 200, 100);
            frame.setVisible(true);
            Misc.setForegroundWindow0(window);
            Thread.sleep(500);
            boolean before = frame.isActive();
            Misc.toFront0();
            for (int i = 0; i < 50 && !frame.isActive(); i++) {
                Thread.sleep(100);
            }
            NativeCases.check("toFront0 brings this process's window to the front", !before && frame.isActive(),
                    "active before " + before + ", after " + frame.isActive());
            frame.dispose();
        } finally {
            shown.destroyForcibly();
            hidden.destroyForcibly();
        }
    }

    private static void system(File scratch) throws Exception {
        String[] pairs = Misc.getEnvVarPairs0();
        List<String> listed = pairs == null ? List.of() : Arrays.asList(pairs);
        String missing = null;
        for (Map.Entry<String, String> e : System.getenv().entrySet()) {
            if (!listed.contains(e.getKey() + "=" + e.getValue())) {
                missing = e.getKey();
            }
        }
        NativeCases.check("getEnvVarPairs0 holds every variable as name=value",
                !listed.isEmpty() && missing == null, "missing " + missing);

        long memory = ((com.sun.management.OperatingSystemMXBean) ManagementFactory.getOperatingSystemMXBean())
                .getTotalPhysicalMemorySize();
        NativeCases.check("getPhysicalMemory0 is the total physical memory",
                Misc.getPhysicalMemory0() == memory && memory > 0, Misc.getPhysicalMemory0() + " vs " + memory);

        long free = Misc.getFreeDiskSpace0(scratch.getPath());
        long usable = scratch.getUsableSpace();
        NativeCases.check("getFreeDiskSpace0 of the scratch directory",
                free > 0 && Math.abs(free - usable) < usable / 10 + (64L << 20), free + " vs " + usable);
        NativeCases.check("getFreeDiskSpace0 of a missing drive: -1",
                Misc.getFreeDiskSpace0(missingDrive() + ":\\") == -1, "not -1");

        File doomed = new File(scratch, "delete at boot.txt");
        File moved = new File(scratch, "move at boot.txt");
        Files.writeString(doomed.toPath(), "x");
        Files.writeString(moved.toPath(), "x");
        NativeCases.check("moveWithDelayUntilReboot0 of a path with a NUL inside schedules nothing",
                !Misc.moveWithDelayUntilReboot0(doomed.getPath() + "\u0000x", null), "true");
        boolean deletion = Misc.moveWithDelayUntilReboot0(doomed.getPath(), null);
        boolean move = Misc.moveWithDelayUntilReboot0(moved.getPath(), moved.getPath() + ".new");
        NativeCases.check("moveWithDelayUntilReboot0 schedules a deletion and a move",
                deletion && move && doomed.exists() && moved.exists(), deletion + " " + move);
        NativeCases.info("scheduled", doomed.getPath());
        NativeCases.info("scheduled", moved.getPath());
    }

    /** Only in a Wine prefix of its own: schedules the file's deletion, then restarts. */
    private static void reboot(File doomed) throws IOException {
        Files.writeString(doomed.toPath(), "x");
        NativeCases.check("moveWithDelayUntilReboot0 before reboot0",
                Misc.moveWithDelayUntilReboot0(doomed.getPath(), null), "false");
        Misc.reboot0();
        NativeCases.done();
    }

    private static char missingDrive() {
        for (char letter = 'Q'; letter <= 'Y'; letter++) {
            if (!new File(letter + ":\\").exists()) {
                return letter;
            }
        }
        return 'Q';
    }
}
