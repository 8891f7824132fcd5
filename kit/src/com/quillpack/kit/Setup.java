package com.quillpack.kit;

import com.corvo.runtime.util.WinDel;
import com.quillpack.runtime.installer.platform.win32.Common;
import com.quillpack.runtime.installer.platform.win32.Registry;
import com.quillpack.runtime.launcher.WinLauncher;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.List;

/**
 * What every installer needs of the setup that started it. Each call reads what the launcher
 * handed over and throws {@link NotStartedBySetupException} when that is missing.
 *
 * <p>A setup extracts its payload files into a private temporary directory, which is the
 * working directory, and starts the installer's main class in its own process. The installer
 * reads the rest of its payload through {@link #openTrailer}, and leaves nothing behind
 * through {@link #deleteTemporaryDirectoryWhenDone}.
 */
public final class Setup {
    private static final String MARKER_KEY = "SOFTWARE\\larchmont-works\\corvo";
    private static final int STARTED = 2;
    private static boolean temporaryDirectoryScheduled;

    private Setup() {}

    /**
     * The setup's private temporary directory, into which it extracted its payload files.
     *
     * @return the directory ({@code corvo.tempDir})
     * @throws NotStartedBySetupException outside a setup
     */
    public static Path temporaryDirectory() {
        return Paths.get(property("corvo.tempDir"));
    }

    /**
     * The setup's executable file.
     *
     * @return its full path ({@link WinDel#externalExecutable})
     * @throws NotStartedBySetupException outside a setup
     */
    public static Path executable() {
        String path = WinDel.externalExecutable;
        if (path == null || path.isEmpty()) {
            throw new NotStartedBySetupException("the launcher published no executable (WinDel.externalExecutable is not set)");
        }
        return Paths.get(path);
    }

    /**
     * The arguments the installer's main class received: the setup's fixed program arguments,
     * then the user's command-line arguments, the launcher's own switches such as {@code -q}
     * among them.
     *
     * @return the arguments, unmodifiable
     * @throws NotStartedBySetupException when the main class was not called by
     *     {@link WinLauncher}
     */
    public static List<String> arguments() {
        List<String> arguments = WinLauncher.programArguments();
        if (arguments == null) throw new NotStartedBySetupException("WinLauncher did not call the main class");
        return arguments;
    }

    /**
     * Opens the data that the packer appended behind the payload files (the manifest's
     * {@code "trailer"}): from the position the launcher passed as
     * {@code corvo.unextractedPosition} to the end of the setup's checked range, so that a
     * signature appended later is left out. An installer can ship its application as one archive
     * this way and unpack it itself.
     *
     * @return a stream of exactly the trailer's bytes; the caller closes it
     * @throws FileNotFoundException when the setup carries no trailer
     * @throws IOException when the setup cannot be read or its configuration block does not
     *     agree with the launcher's position
     * @throws IllegalStateException in a language restart, whose launcher passes no position
     * @throws NotStartedBySetupException outside a setup
     */
    public static InputStream openTrailer() throws IOException {
        String text = property("corvo.unextractedPosition");
        long position;
        try {
            position = Long.parseLong(text);
        } catch (NumberFormatException e) {
            throw new NotStartedBySetupException("corvo.unextractedPosition is not a number: " + text);
        }
        if (position <= 0) {
            throw new IllegalStateException("the launcher passed no payload position (corvo.unextractedPosition is "
                    + position + "; a language restart extracts nothing)");
        }
        return Trailer.open(executable(), position);
    }

    /**
     * Has files and directories deleted once this process has ended: writes a list file beside
     * the temporary directory and starts the setup's executable in its delayed-deletion role,
     * which waits until the setup's instance semaphore is gone. Files are deleted first, then
     * the directories in the order given, each only when empty by then; what cannot be deleted
     * within about 30 seconds stays, except what lies in a setup's private temporary directory,
     * which Windows deletes at the next boot when the role may schedule it.
     *
     * @param files absolute paths of files
     * @param directories absolute paths of directories, inner ones before outer ones
     * @throws IllegalArgumentException for a path that is not absolute or holds a line break
     * @throws IOException when the list cannot be written or the role cannot be started
     * @throws IllegalStateException in a language restart, whose launcher holds no semaphore
     * @throws NotStartedBySetupException outside a setup
     */
    public static void deleteWhenDone(List<Path> files, List<Path> directories) throws IOException {
        String list = DeletionList.text(semaphore(), files, directories);
        DeletionList.start(executable(), temporaryDirectory().getParent(), list);
    }

    /**
     * Has the setup's private temporary directory deleted, with everything in it and the empty
     * placeholder file the launcher made to reserve its name, once this process has ended; the
     * JVM's directory of performance data files goes too when no other JVM uses it. The
     * directory is listed when the JVM shuts down (when the main method returns or
     * {@link System#exit} is called, not after {@link Runtime#halt}), so files written into it
     * after this call go too; then the list is handed to the delayed-deletion role as by
     * {@link #deleteWhenDone}. Calling it again does nothing more. A program the installer
     * starts with this directory as its working directory (a {@link ProcessBuilder}'s default)
     * keeps it while it runs, and Windows then deletes it only at the next boot: give such a
     * program another working directory.
     *
     * @throws IllegalStateException in a language restart, whose launcher holds no semaphore
     * @throws NotStartedBySetupException outside a setup
     */
    public static synchronized void deleteTemporaryDirectoryWhenDone() {
        Path directory = temporaryDirectory();
        Path executable = executable();
        String semaphore = semaphore();
        if (temporaryDirectoryScheduled) return;
        Thread hook = new Thread(() -> {
            try {
                String list = DeletionList.textForTree(semaphore, directory);
                DeletionList.start(executable, directory.getParent(), list);
            } catch (IOException | RuntimeException e) {
                System.err.println("could not have " + directory + " deleted: " + e);
            }
        }, "temporary directory clean-up");
        Runtime.getRuntime().addShutdownHook(hook);
        temporaryDirectoryScheduled = true;
    }

    /**
     * Tells the setup that the installer has started, for installers that start their work
     * without a window: sets the per-process and the global "InstallStarted" markers to 2. A
     * setup with a progress dialog then hides it at once, and does not end the installer when
     * no window of it shows within four minutes.
     *
     * @throws IOException when the markers cannot be written
     * @throws IllegalStateException when the launcher could not bind the natives
     * @throws NotStartedBySetupException outside a setup
     */
    public static void markInstallationStarted() throws IOException {
        if (!Common.nativesBound()) {
            if (Common.launcherReports().isEmpty()) {
                throw new NotStartedBySetupException("the launcher bound no natives (a setup of product kind q does)");
            }
            throw new IllegalStateException("the launcher could not bind the natives; its log says why");
        }
        long pid = ProcessHandle.current().pid();
        for (String name : List.of("InstallStarted_" + pid, "InstallStarted")) {
            if (!Registry.setValue0(Registry.HKEY_CURRENT_USER, MARKER_KEY, name, STARTED, Registry.DWORD,
                    Registry.DEFAULT_VIEW)) {
                throw new IOException("cannot write HKEY_CURRENT_USER\\" + MARKER_KEY + "\\" + name);
            }
        }
    }

    private static String property(String name) {
        String value = System.getProperty(name);
        if (value == null || value.isEmpty()) throw new NotStartedBySetupException("the system property " + name + " is not set");
        return value;
    }

    // The launcher's instance semaphore, which exists exactly as long as this process.
    private static String semaphore() {
        String name = System.getProperty("corvo.semaphoreName");
        if (name != null && !name.isEmpty()) return name;
        property("corvo.tempDir");
        throw new IllegalStateException("the launcher holds no instance semaphore (a language restart takes none), "
                + "so nothing could wait for this process to end");
    }
}
