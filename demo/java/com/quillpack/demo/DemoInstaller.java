package com.quillpack.demo;

import com.quillpack.runtime.installer.platform.win32.UserSystem;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.Arrays;
import java.util.Comparator;
import java.util.stream.Stream;

/**
 * Installs the demo's payload for the current user: the files into the local program folder,
 * an uninstall entry in the registry and a Start menu link. "--uninstall" removes all three.
 */
public final class DemoInstaller {
    static final String NAME = "Quillpack Demo";
    static final String VERSION = "1.0";
    static final String UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + NAME;
    /** What the setup carries for the user; the rest of its payload runs the installer. */
    static final String[] PAYLOAD = {"welcome.txt"};
    static final String LINK_TARGET = "welcome.txt";

    private DemoInstaller() {}

    /** The exit code: 0 done, 1 failed (the reason on standard error). */
    public static int run(String[] args) {
        // The launcher puts its own arguments (kind, main class, paths) before the user's.
        boolean uninstall = Arrays.asList(args).contains("--uninstall");
        ProgressWindow window = ProgressWindow.open(NAME + (uninstall ? " - Uninstall" : " - Setup"));
        String result = uninstall ? uninstall(window) : install(window);
        window.close(result == null ? "Done." : "Failed: " + result);
        if (result != null) {
            System.err.println(NAME + ": " + result);
            return 1;
        }
        return 0;
    }

    private static Path installFolder() {
        String programs = UserSystem.localProgramsFolder();
        return programs == null ? null : Paths.get(programs, NAME);
    }

    private static Path linkFile() {
        String menu = UserSystem.programsMenuFolder();
        return menu == null ? null : Paths.get(menu, NAME + ".lnk");
    }

    /** Null on success, otherwise what went wrong. */
    static String install(ProgressWindow window) {
        String tempDir = System.getProperty("corvo.tempDir");
        Path folder = installFolder();
        Path link = linkFile();
        if (tempDir == null || tempDir.isEmpty()) return "the launcher named no temporary directory";
        if (folder == null || link == null) return "the user's program folders are unknown";
        try {
            window.status("Copying files to " + folder);
            Files.createDirectories(folder);
            for (String name : PAYLOAD) {
                Files.copy(Paths.get(tempDir, name), folder.resolve(name), StandardCopyOption.REPLACE_EXISTING);
                System.out.println("installed " + folder.resolve(name));
            }
        } catch (IOException e) {
            return "cannot copy the files to " + folder + ": " + e;
        }
        window.status("Writing the uninstall entry");
        String setup = ProcessHandle.current().info().command().orElse(null);
        if (setup == null) return "cannot tell the setup's own path for the uninstall command";
        if (!UserSystem.setUserString(UNINSTALL_KEY, "DisplayName", NAME)
                || !UserSystem.setUserString(UNINSTALL_KEY, "DisplayVersion", VERSION)
                || !UserSystem.setUserString(UNINSTALL_KEY, "InstallLocation", folder.toString())
                || !UserSystem.setUserString(UNINSTALL_KEY, "UninstallString", "\"" + setup + "\" --uninstall")) {
            return "cannot write HKEY_CURRENT_USER\\" + UNINSTALL_KEY;
        }
        System.out.println("registered HKEY_CURRENT_USER\\" + UNINSTALL_KEY);
        window.status("Creating the Start menu link");
        try {
            Files.createDirectories(link.getParent());
        } catch (IOException e) {
            return "cannot create " + link.getParent() + ": " + e;
        }
        String target = folder.resolve(LINK_TARGET).toString();
        if (!UserSystem.createLink(link.toString(), target, folder.toString(), NAME)) {
            return "cannot create the link " + link;
        }
        System.out.println("linked " + link + " -> " + target);
        return null;
    }

    static String uninstall(ProgressWindow window) {
        Path folder = installFolder();
        Path link = linkFile();
        if (folder == null || link == null) return "the user's program folders are unknown";
        try {
            window.status("Removing " + folder);
            deleteTree(folder);
            System.out.println("removed " + folder);
            Files.deleteIfExists(link);
            System.out.println("removed " + link);
        } catch (IOException e) {
            return "cannot remove the installed files: " + e;
        }
        window.status("Removing the uninstall entry");
        if (!UserSystem.deleteUserKey(UNINSTALL_KEY)) return "cannot remove HKEY_CURRENT_USER\\" + UNINSTALL_KEY;
        System.out.println("removed HKEY_CURRENT_USER\\" + UNINSTALL_KEY);
        return null;
    }

    private static void deleteTree(Path folder) throws IOException {
        if (!Files.exists(folder)) return;
        try (Stream<Path> paths = Files.walk(folder)) {
            for (Path path : (Iterable<Path>) paths.sorted(Comparator.reverseOrder())::iterator) {
                Files.delete(path);
            }
        }
    }
}
