package com.quillpack.standin;

import com.corvo.runtime.util.WinDel;
import com.quillpack.runtime.installer.platform.win32.Common;
import java.io.IOException;
import java.io.OutputStream;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.util.ArrayList;
import java.util.List;
import java.util.Properties;
import java.util.TreeSet;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicReference;
import java.util.stream.Collectors;
import javax.swing.JFrame;
import javax.swing.SwingUtilities;

/**
 * What both main classes do: write down what the launcher handed over, then run the steps a
 * test asked for. Tests steer each child process through two environment variables:
 * QPK_JAVA_RECORD names the record file (without it the lines go to standard output) and
 * QPK_JAVA_ACTION lists the steps, comma-separated.
 */
public final class Recorder {
    private static final String[] NAMED_PROPERTIES = {
        "sun.java.command", "java.library.path", "java.class.path", "jdk.module.path",
        "user.language", "user.country", "sun.locale.formatasdefault", "java.home", "user.dir",
    };
    private static final Object fileLock = new Object();

    private Recorder() {}

    public static void run(Class<?> mainClass, String[] args) throws Exception {
        String record = System.getenv("QPK_JAVA_RECORD");
        Path recordFile = record == null || record.isEmpty() ? null : Paths.get(record);
        write(recordFile, describe(mainClass, args), false);

        String action = System.getenv("QPK_JAVA_ACTION");
        if (action == null || action.isEmpty()) {
            action = "return";
        }
        for (String step : action.split(",")) {
            boolean goOn = perform(step, recordFile);
            write(recordFile, List.of("step=" + step), true);
            if (!goOn) {
                return;
            }
        }
    }

    private static List<String> describe(Class<?> mainClass, String[] args) {
        List<String> lines = new ArrayList<>();
        lines.add("main=" + mainClass.getName());
        lines.add("args=" + args.length);
        for (int i = 0; i < args.length; i++) {
            lines.add("arg." + i + "=" + args[i]);
        }
        Properties properties = System.getProperties();
        TreeSet<String> names = new TreeSet<>();
        for (String name : properties.stringPropertyNames()) {
            if (name.startsWith("corvo.") || name.startsWith("qpktest.")) {
                names.add(name);
            }
        }
        for (String name : names) {
            lines.add("prop." + name + "=" + properties.getProperty(name));
        }
        for (String name : NAMED_PROPERTIES) {
            String value = properties.getProperty(name);
            if (value != null) {
                lines.add("prop." + name + "=" + value);
            }
        }
        List<String> vmArgs = ManagementFactory.getRuntimeMXBean().getInputArguments();
        lines.add("vmargs=" + vmArgs.size());
        for (int i = 0; i < vmArgs.size(); i++) {
            lines.add("vmarg." + i + "=" + vmArgs.get(i));
        }
        lines.add("initFromLauncher=" + Common.launcherReports().stream().map(String::valueOf)
                .collect(Collectors.joining(",")));
        lines.add("externalExecutable=" + WinDel.externalExecutable);
        String splash = com.corvo.runtime.WinLauncher.splashArguments();
        lines.add("splash=" + (splash == null ? "none" : splash));
        lines.add("pid=" + ProcessHandle.current().pid());
        lines.add("recorded=1");
        return lines;
    }

    /** Runs one step; false when main is to return after it. */
    private static boolean perform(String step, Path recordFile) throws Exception {
        int colon = step.indexOf(':');
        String name = colon < 0 ? step : step.substring(0, colon);
        String value = colon < 0 ? "" : step.substring(colon + 1);
        switch (name) {
            case "return":
                return false;
            case "throw":
                throw new IllegalStateException("stand-in failure");
            case "exit":
                System.exit(Integer.parseInt(value));
                return false;
            case "sleep":
                Thread.sleep(Long.parseLong(value));
                return true;
            case "window":
                showWindow(Long.parseLong(value), recordFile);
                return true;
            case "marker":
                setInstallMarker(Integer.parseInt(value));
                return true;
            case "natives":
                write(recordFile, NativeTour.run(System.getProperty("user.dir")), true);
                return true;
            case "thread":
                startThread(Long.parseLong(value), recordFile);
                return true;
            default:
                throw new IllegalArgumentException("unknown stand-in step: " + step);
        }
    }

    private static void showWindow(long millis, Path recordFile) throws Exception {
        AtomicReference<JFrame> frame = new AtomicReference<>();
        SwingUtilities.invokeAndWait(() -> {
            JFrame window = new JFrame("Stand-in installer");
            window.setSize(300, 200);
            window.setDefaultCloseOperation(JFrame.DISPOSE_ON_CLOSE);
            window.setVisible(true);
            frame.set(window);
        });
        // setVisible returns before the native window is up; tests wait for "window=shown".
        long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(30);
        while (!frame.get().isShowing()) {
            if (System.nanoTime() > deadline) {
                throw new IllegalStateException("stand-in window never showed");
            }
            Thread.sleep(10);
        }
        write(recordFile, List.of("window=shown"), true);
        Thread.sleep(millis);
        SwingUtilities.invokeAndWait(() -> frame.get().dispose());
    }

    // The launcher reads this per-process marker to learn that the installer has started.
    private static void setInstallMarker(int value) throws IOException, InterruptedException {
        long pid = ProcessHandle.current().pid();
        Process reg = new ProcessBuilder("reg.exe", "add", "HKCU\\SOFTWARE\\larchmont-works\\corvo",
                "/v", "InstallStarted_" + pid, "/t", "REG_DWORD", "/d", Integer.toString(value), "/f")
                .redirectErrorStream(true)
                .redirectOutput(ProcessBuilder.Redirect.DISCARD)
                .redirectInput(ProcessBuilder.Redirect.PIPE)
                .start();
        reg.getOutputStream().close();
        int code = reg.waitFor();
        if (code != 0) {
            throw new IllegalStateException("reg.exe add ended with " + code);
        }
    }

    // Non-daemon, so destroying the JVM after main returns has to wait for it.
    private static void startThread(long millis, Path recordFile) {
        Thread thread = new Thread(() -> {
            try {
                Thread.sleep(millis);
                write(recordFile, List.of("thread=done"), true);
            } catch (InterruptedException | IOException e) {
                throw new IllegalStateException(e);
            }
        }, "stand-in worker");
        thread.setDaemon(false);
        thread.start();
    }

    private static void write(Path recordFile, List<String> lines, boolean append)
            throws IOException {
        StringBuilder text = new StringBuilder();
        for (String line : lines) {
            text.append(escape(line)).append('\n');
        }
        byte[] bytes = text.toString().getBytes(StandardCharsets.UTF_8);
        synchronized (fileLock) {
            if (recordFile == null) {
                System.out.write(bytes, 0, bytes.length);
                System.out.flush();
                return;
            }
            try (OutputStream out = append
                    ? Files.newOutputStream(recordFile, StandardOpenOption.CREATE,
                            StandardOpenOption.APPEND)
                    : Files.newOutputStream(recordFile)) {
                out.write(bytes);
            }
        }
    }

    // One record line per key: line breaks inside a value are written as \r and \n.
    private static String escape(String line) {
        return line.replace("\r", "\\r").replace("\n", "\\n");
    }
}
