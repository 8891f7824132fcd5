package com.example.kitdriver;

import com.corvo.runtime.util.WinDel;
import com.quillpack.kit.NotStartedBySetupException;
import com.quillpack.kit.Setup;
import com.quillpack.runtime.installer.platform.win32.Common;
import com.quillpack.runtime.installer.platform.win32.Registry;
import com.quillpack.runtime.launcher.WinLauncher;
import java.io.ByteArrayOutputStream;
import java.io.EOFException;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * The kit's calls, compiled against the kit alone, as an installer makes them.
 *
 * <p>{@code install REPORT_DIR REGISTRY_KEY}: run as a setup's main class, it reads its
 * trailer into REPORT_DIR\trailer.bin, writes a registry value through the natives, marks the
 * installation started, has a file of its own deleted and the temporary directory cleaned up
 * once it has ended, and reports in REPORT_DIR\report.txt.
 *
 * <p>{@code host WORK_DIR}: runs the cases that need no setup on any JDK (wrong use, the
 * launcher's arguments, trailers of setups it writes itself) and prints one line per failure;
 * the exit code is the number of failures.
 */
public final class KitDriver {
    private static final int MAGIC = 0xE8E413D5;
    private static volatile List<String> probeArguments;
    private static int failures;

    private KitDriver() {}

    public static void main(String[] args) throws Exception {
        if (args.length == 3 && args[0].equals("install")) {
            install(Paths.get(args[1]), args[2]);
            return;
        }
        if (args.length == 2 && args[0].equals("host")) {
            System.exit(host(Paths.get(args[1])));
        }
        throw new IllegalArgumentException("usage: install REPORT_DIR REGISTRY_KEY | host WORK_DIR");
    }

    private static void install(Path reports, String key) throws Exception {
        List<String> report = new ArrayList<>();
        Path temp = Setup.temporaryDirectory();
        report.add("tempDir=" + temp);
        report.add("executable=" + Setup.executable());
        report.add("arguments=" + String.join("|", Setup.arguments()));
        byte[] trailer;
        try (InputStream in = Setup.openTrailer()) {
            trailer = in.readAllBytes();
        }
        Files.write(reports.resolve("trailer.bin"), trailer);
        report.add("registry=" + Registry.setValue0(Registry.HKEY_CURRENT_USER, key, "Trailer",
                trailer.length + " bytes", Registry.STRING, Registry.DEFAULT_VIEW));
        Setup.markInstallationStarted();
        report.add("pid=" + ProcessHandle.current().pid());

        // The role waits for this process: two seconds on, the file is still there.
        Path held = Files.createDirectories(temp.resolve("held")).resolve("file.txt");
        Files.write(held, new byte[] {1});
        Setup.deleteWhenDone(List.of(held), List.of(held.getParent()));
        Thread.sleep(2000);
        report.add("heldAfterWait=" + Files.exists(held));
        Setup.deleteTemporaryDirectoryWhenDone();
        report.add("done=1");
        Files.write(reports.resolve("report.txt"), (String.join("\n", report) + "\n").getBytes(StandardCharsets.UTF_8));
    }

    /** A main class for WinLauncher to call; "throw" makes it fail. */
    public static final class Probe {
        private Probe() {}

        public static void main(String[] args) throws IOException {
            probeArguments = List.of(args);
            if (probeArguments.contains("throw")) throw new IOException("probe failure");
        }
    }

    private interface Call {
        Object run() throws Exception;
    }

    // Runs `call` and checks that it throws `expected` with `part` in its message, or, with a
    // null `expected`, that it returns `part` (as text).
    private static void check(String name, Call call, Class<? extends Throwable> expected, String part) {
        String outcome;
        try {
            Object result = call.run();
            if (expected == null && String.valueOf(result).equals(part)) return;
            outcome = "returned " + result;
        } catch (Throwable e) {
            if (expected != null && expected.isInstance(e) && String.valueOf(e.getMessage()).contains(part)) return;
            outcome = "threw " + e;
        }
        failures++;
        System.out.println("FAIL " + name + ": " + outcome + ", expected "
                + (expected == null ? part : expected.getSimpleName() + " with \"" + part + "\""));
    }

    private static int host(Path work) throws Exception {
        Files.createDirectories(work);
        String notStarted = "not started by a setup launcher";
        Class<NotStartedBySetupException> outside = NotStartedBySetupException.class;
        check("temporaryDirectory outside", Setup::temporaryDirectory, outside, "corvo.tempDir");
        check("executable outside", Setup::executable, outside, notStarted);
        check("arguments outside", Setup::arguments, outside, notStarted);
        check("openTrailer outside", Setup::openTrailer, outside, notStarted);
        check("deleteWhenDone outside", () -> {
            Setup.deleteWhenDone(List.of(), List.of());
            return null;
        }, outside, notStarted);
        check("deleteTemporaryDirectoryWhenDone outside", () -> {
            Setup.deleteTemporaryDirectoryWhenDone();
            return null;
        }, outside, notStarted);
        check("markInstallationStarted outside", () -> {
            Setup.markInstallationStarted();
            return null;
        }, outside, notStarted);

        String probe = Probe.class.getName();
        check("too few launcher arguments", () -> launch("true", probe), outside, notStarted);
        check("no launcher flags", () -> launch("x", probe, "", "", "false", "setup.exe"), outside, notStarted);
        check("unknown main class", () -> launch("true", "com.example.NoSuch", "", "", "false", "s.exe"),
                ClassNotFoundException.class, "com.example.NoSuch");
        check("no main class", () -> launch("true", "", "", "", "false", "s.exe"),
                IllegalStateException.class, "\"mainClass\"");
        check("module mode finds the module's class", () -> launch("false", "/java.base/java.lang.Object", "",
                "", "true", "s.exe"), NoSuchMethodException.class, "java.lang.Object");
        check("module mode without the module", () -> launch("false", "/no.such.mod/a.B", "", "", "true", "s.exe"),
                ClassNotFoundException.class, "no.such.mod");
        check("main gets the program arguments", () -> {
            launch("true", "/" + probe, "C:\\a", "", "false", "setup.exe", "-q", "two words");
            return probeArguments + " " + Setup.arguments();
        }, null, "[-q, two words] [-q, two words]");
        check("main's exception passes unwrapped", () -> launch("true", probe, "", "", "false", "s.exe", "throw"),
                IOException.class, "probe failure");

        trailerCases(work);

        System.setProperty("corvo.tempDir", work.resolve("cvo1.tmp_dir1").toString());
        check("deleteWhenDone without a semaphore", () -> {
            Setup.deleteWhenDone(List.of(), List.of());
            return null;
        }, IllegalStateException.class, "semaphore");
        System.setProperty("corvo.semaphoreName", "Local\\kit-driver");
        check("deleteWhenDone of a relative path", () -> {
            Setup.deleteWhenDone(List.of(Paths.get("relative.txt")), List.of());
            return null;
        }, IllegalArgumentException.class, "relative.txt");
        check("deleteWhenDone of a path with a line break", () -> {
            Setup.deleteWhenDone(List.of(), List.of(work.resolve("a\nb")));
            return null;
        }, IllegalArgumentException.class, "not an absolute path on one line");
        Common.initFromLauncher(true);
        Common.initFromLauncher(false);
        check("markInstallationStarted without natives", () -> {
            Setup.markInstallationStarted();
            return null;
        }, IllegalStateException.class, "could not bind the natives");
        return failures;
    }

    private static Object launch(String... args) throws Exception {
        WinLauncher.main(args);
        return "returned";
    }

    // Setups written here: a PE header whose last of three sections ends at 0x600, the block
    // there, 80 bytes of tables and files, the trailer, then 512 bytes a signature might add.
    private static void trailerCases(Path work) throws IOException {
        byte[] trailer = new byte[3 * 256 + 5];
        for (int i = 0; i < trailer.length; i++) trailer[i] = (byte) i;
        long start = 0x600 + 20 + 80;
        System.setProperty("corvo.tempDir", work.toString());

        setupFile(work, "signed.exe", MAGIC, 80 + trailer.length, trailer, start);
        check("trailer of a signed setup", () -> {
            try (InputStream in = Setup.openTrailer()) {
                ByteArrayOutputStream seen = new ByteArrayOutputStream();
                seen.write(in.read());
                if (in.skip(2) != 2) return "skip failed";
                seen.write(trailer, 1, 2);
                byte[] chunk = new byte[7];
                for (int n; (n = in.read(chunk, 0, chunk.length)) > 0;) seen.write(chunk, 0, n);
                return Arrays.equals(seen.toByteArray(), trailer) && in.read() == -1;
            }
        }, null, "true");
        setupFile(work, "plain.exe", MAGIC, 80, new byte[0], start);
        check("setup without a trailer", Setup::openTrailer, FileNotFoundException.class, "carries no trailer");
        setupFile(work, "nomagic.exe", 0x12345678, 80 + trailer.length, trailer, start);
        check("file without a block", Setup::openTrailer, IOException.class, "no configuration block at byte 1536");
        setupFile(work, "long.exe", MAGIC, 80 + trailer.length + 513, trailer, start);
        check("checked range beyond the file", Setup::openTrailer, IOException.class, "do not hold");
        setupFile(work, "behind.exe", MAGIC, 40, trailer, start);
        check("position behind the checked range", Setup::openTrailer, IOException.class, "lies behind the end");
        byte[] stub = new byte[70];
        stub[60] = (byte) 0x80;  // a PE header behind the end of the file
        WinDel.externalExecutable = Files.write(work.resolve("stub.exe"), stub).toString();
        check("file shorter than its headers", Setup::openTrailer, EOFException.class, "ends at byte 70");
        System.setProperty("corvo.unextractedPosition", "-1");
        check("language restart", Setup::openTrailer, IllegalStateException.class, "is -1");
    }

    private static void setupFile(Path work, String name, int magic, long checked, byte[] trailer, long start)
            throws IOException {
        ByteBuffer file = ByteBuffer.allocate(0x600 + 20 + 80 + trailer.length + 512).order(ByteOrder.LITTLE_ENDIAN);
        int pe = 0x80;
        int optionalHeader = 0xF0;
        file.putInt(60, pe).putShort(pe + 6, (short) 3).putShort(pe + 20, (short) optionalHeader);
        file.putInt(pe + optionalHeader + 40 * 3, 0x200).putInt(pe + optionalHeader + 40 * 3 + 4, 0x400);
        file.putInt(0x600, magic).putInt(0x604, 1).putLong(0x60C, checked);
        file.position(0x600 + 20);
        file.put("tables and files".repeat(5).getBytes(StandardCharsets.US_ASCII)).put(trailer);
        while (file.hasRemaining()) file.put((byte) 0xCE);
        WinDel.externalExecutable = Files.write(work.resolve(name), file.array()).toString();
        System.setProperty("corvo.unextractedPosition", Long.toString(start));
    }
}
