package com.quillpack.runtime.installer.platform.win32;

import java.io.ByteArrayOutputStream;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.concurrent.TimeUnit;

/**
 * The service natives against the real service control manager, with testservice.exe as the
 * service. Arguments: the natives DLL, testservice.exe, a record file for the service. The
 * configuration is read back from outside through "reg query". The service is removed again.
 */
public final class Win32ServicesDriver {
    private static final String NAME = "qpk-tests-svc-" + ProcessHandle.current().pid();
    private static final String KEY = "HKLM\\System\\CurrentControlSet\\Services\\" + NAME;
    private static final int NO_CHANGE = -1;  // SERVICE_NO_CHANGE

    public static void main(String[] args) throws Exception {
        System.load(args[0]);
        Path record = Path.of(args[2]);
        String binary = "\"" + args[1] + "\" \"" + args[2] + "\"";
        NativeCases.info("service", NAME);
        try {
            missingService();
            install(binary);
            configure();
            longBinaryPath(binary);
            startAndStop(record);
            uninstall();
        } finally {
            Win32Services.stopService0(NAME);
            Win32Services.uninstallService0(NAME);
        }
        NativeCases.done();
    }

    private static void missingService() {
        String missing = NAME + "-missing";
        String binary = Win32Services.getServiceBinary0(missing);
        NativeCases.check("missing service: status, start type, binary, stop and removal give 1060",
                Win32Services.queryStatus0(missing) == 1060 && Win32Services.getStartType0(missing) == 1060
                        && " 1060".equals(binary) && Win32Services.stopService0(missing) == 1060
                        && Win32Services.startService0(missing, null) == 1060
                        && Win32Services.uninstallService0(missing) == 1060, "binary \"" + binary + "\"");
    }

    private static void install(String binary) throws Exception {
        int installed = Win32Services.installService0(NAME, NAME + " display", binary);
        NativeCases.check("install", installed == 0, "result " + installed);
        NativeCases.check("install again gives 1073 (exists)",
                Win32Services.installService0(NAME, NAME + " other", binary) == 1073, "");
        String stored = Win32Services.getServiceBinary0(NAME);
        NativeCases.check("new service: stopped, on demand, binary as given",
                Win32Services.queryStatus0(NAME) == -1 && Win32Services.getStartType0(NAME) == -3
                        && binary.equals(stored), "binary " + stored);
    }

    private static void configure() throws Exception {
        int changed = Win32Services.changeServiceConfig0(NAME, NAME + " renamed", null, NO_CHANGE, 4, "qpkdepa,,qpkdepb,",
                "NT AUTHORITY\\LocalSystem", null, "qpk test description");
        String config = regQuery();
        NativeCases.check("change: disabled, two dependencies, local system, description, display name",
                changed == 0 && Win32Services.getStartType0(NAME) == -4
                        && config.matches("(?s).*DependOnService\\s+REG_MULTI_SZ\\s+qpkdepa\\\\0qpkdepb\\s.*")
                        && config.matches("(?s).*ObjectName\\s+REG_SZ\\s+LocalSystem\\s.*")
                        && config.contains("qpk test description") && config.contains(NAME + " renamed"),
                "result " + changed + ", registry:\n" + config);

        changed = Win32Services.changeServiceConfig0(NAME, null, null, NO_CHANGE, 2, null,
                "nt authority\\localsystem", null, null);
        config = regQuery();
        NativeCases.check("change: automatic, null dependencies remove all, lower-case account passed as is, "
                + "description kept", changed == 0 && Win32Services.getStartType0(NAME) == -2
                        && !config.matches("(?s).*DependOnService\\s+REG_MULTI_SZ\\s+\\S.*")
                        && config.contains("nt authority\\localsystem") && config.contains("qpk test description"),
                "result " + changed + ", registry:\n" + config);

        changed = Win32Services.changeServiceConfig0(NAME, null, null, NO_CHANGE, 3, "", "LocalSystem", null,
                null);
        NativeCases.check("change back: on demand", changed == 0 && Win32Services.getStartType0(NAME) == -3,
                "result " + changed);
        NativeCases.check("dependency list beyond 8,192 characters refused with 87",
                Win32Services.changeServiceConfig0(NAME, null, null, NO_CHANGE, 2, "d".repeat(8200), null, null, null)
                        == 87 && Win32Services.getStartType0(NAME) == -3, "");
        int badType = Win32Services.changeServiceConfig0(NAME, null, null, NO_CHANGE, 77, null, null, null, "not set");
        NativeCases.check("failed change returns the error and sets no description",
                badType > 0 && badType < 5000 && !regQuery().contains("not set"), "result " + badType);

        // This Wine accepts failure actions without storing them, so only the result is checked.
        NativeCases.check("restart on failure set and cleared", Win32Services.setRestartServiceConfig0(NAME, true, 5000)
                == 0 && Win32Services.setRestartServiceConfig0(NAME, false, 0) == 0, "");
        int delayed = Win32Services.setDelayedAutoStart0(NAME, true);
        if (NativeCases.onWine()) {
            NativeCases.skip("delayed auto-start set", "Wine has no delayed automatic start (124)");
        } else {
            NativeCases.check("delayed auto-start set", delayed == 0 && Win32Services.setDelayedAutoStart0(NAME, false)
                    == 0, "result " + delayed);
        }
    }

    /** A binary path beyond the first configuration buffer is read whole, then put back. */
    private static void longBinaryPath(String binary) throws Exception {
        String longBinary = binary + " " + "x".repeat(9000);
        int changed = Win32Services.changeServiceConfig0(NAME, null, longBinary, NO_CHANGE, NO_CHANGE, null, null,
                null, null);
        String stored = Win32Services.getServiceBinary0(NAME);
        int startType = Win32Services.getStartType0(NAME);
        boolean outside = regQuery().contains("x".repeat(9000));
        int back = Win32Services.changeServiceConfig0(NAME, null, binary, NO_CHANGE, NO_CHANGE, null, null, null, null);
        NativeCases.check("a binary path of 9,000 characters and more is read whole", changed == 0
                && longBinary.equals(stored) && startType == -3 && outside && back == 0,
                "change " + changed + ", read " + (stored.length() > 40 ? stored.length() + " characters" : stored)
                        + ", start type " + startType + ", in the registry " + outside);
    }

    private static boolean waitForState(int state) throws InterruptedException {
        for (int i = 0; i < 100; i++) {
            if (Win32Services.queryStatus0(NAME) == -state) return true;
            Thread.sleep(100);
        }
        return false;
    }

    private static String readRecord(Path record) throws Exception {
        return Files.exists(record) ? Files.readString(record, StandardCharsets.UTF_8) : "(none)";
    }

    private static void startAndStop(Path record) throws Exception {
        Files.deleteIfExists(record);
        int cut = Win32Services.startService0(NAME, new String[] {"first\u0000x"});
        NativeCases.check("start with an argument with a NUL inside: 123, not started", cut == 123
                && Win32Services.queryStatus0(NAME) == -1, "result " + cut);
        // A null element goes as an empty string; Wine's service control manager passes the
        // arguments as one NUL-separated list, so it drops an empty last one.
        int started = Win32Services.startService0(NAME, new String[] {"first", "with space", null});
        boolean running = waitForState(4);
        String args = readRecord(record);
        NativeCases.check("start with arguments: running, arguments received", started == 0 && running
                && (args.equals("arg:first\narg:with space\n") || args.equals("arg:first\narg:with space\narg:\n")),
                "result " + started + ", record " + args);
        int stopped = Win32Services.stopService0(NAME);
        NativeCases.check("stop: 0 and stopped", stopped == 0 && Win32Services.queryStatus0(NAME) == -1,
                "result " + stopped);
        NativeCases.check("stop of a stopped service gives 1062", Win32Services.stopService0(NAME) == 1062, "");

        Files.deleteIfExists(record);
        started = Win32Services.startService0(NAME, null);
        running = waitForState(4);
        NativeCases.check("start with null arguments passes none", started == 0 && running
                && readRecord(record).isEmpty(), "record " + readRecord(record));
        Win32Services.stopService0(NAME);

        // Stop pending for about 2 s with a 1 s wait hint: only the advancing check point
        // keeps the wait going until the service has stopped.
        started = Win32Services.startService0(NAME, new String[] {"slow"});
        running = waitForState(4);
        long begin = System.nanoTime();
        stopped = Win32Services.stopService0(NAME);
        long tookMs = (System.nanoTime() - begin) / 1_000_000;
        NativeCases.check("slow stop followed through its check points", started == 0 && running && stopped == 0
                && tookMs >= 1500 && Win32Services.queryStatus0(NAME) == -1, "result " + stopped + " after " + tookMs + " ms");

        // Stop pending with a check point that stays: the wait ends one wait hint later.
        started = Win32Services.startService0(NAME, new String[] {"stuck"});
        running = waitForState(4);
        begin = System.nanoTime();
        stopped = Win32Services.stopService0(NAME);
        tookMs = (System.nanoTime() - begin) / 1_000_000;
        int state = Win32Services.queryStatus0(NAME);
        NativeCases.check("stuck stop gives 5001 and leaves it stop pending", started == 0 && running
                && stopped == 5001 && tookMs < 3500 && state == -3, "result " + stopped + " after " + tookMs
                + " ms, state " + state);
        NativeCases.check("stuck service stops by itself", waitForState(1), "");
    }

    private static void uninstall() throws Exception {
        int cut = Win32Services.uninstallService0(NAME + "\u0000x");
        NativeCases.check("a name with a NUL inside removes nothing: 123", cut == 123
                && Win32Services.queryStatus0(NAME) == -1, "result " + cut);
        int removed = Win32Services.uninstallService0(NAME);
        boolean gone = false;
        for (int i = 0; i < 50 && !gone; i++) {
            gone = Win32Services.queryStatus0(NAME) == 1060;
            if (!gone) Thread.sleep(100);
        }
        NativeCases.check("uninstall removes it", removed == 0 && gone, "result " + removed);
    }

    /** The service's registry key as "reg query" shows it, from outside the natives. */
    private static String regQuery() throws Exception {
        Process reg = new ProcessBuilder(List.of("reg", "query", KEY)).redirectErrorStream(true).start();
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        try (InputStream in = reg.getInputStream()) {
            in.transferTo(out);
        }
        reg.waitFor(30, TimeUnit.SECONDS);
        return out.toString(StandardCharsets.UTF_8);
    }
}
