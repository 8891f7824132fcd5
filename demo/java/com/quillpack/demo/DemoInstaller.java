package com.quillpack.demo;

import com.quillpack.kit.Setup;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.Comparator;
import java.util.List;
import java.util.stream.Stream;
import java.util.zip.ZipEntry;
import java.util.zip.ZipInputStream;

/**
 * Installs the demo application for the current user: the files of the archive the setup
 * carries as its trailer into the local program folder, an uninstall entry in the registry and
 * a Start menu link. "--uninstall" removes all three. Either way the setup's temporary
 * directory goes once the installer has ended.
 */
public final class DemoInstaller {
    static final String NAME = "Quillpack Demo";
    static final String VERSION = "1.0";
    static final String UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + NAME;
    static final String LINK_TARGET = "welcome.txt";

    private DemoInstaller() {}

    /**
     * Installs, or uninstalls with "--uninstall", and ends the process with 0 when done or 1
     * when it failed (the reason on standard error).
     *
     * @param args the program's arguments
     */
    public static void main(String[] args) {
        Setup.deleteTemporaryDirectoryWhenDone();
        System.exit(run(List.of(args)));
    }

    static int run(List<String> args) {
        boolean uninstall = args.contains("--uninstall");
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
        Path folder = installFolder();
        Path link = linkFile();
        if (folder == null || link == null) return "the user's program folders are unknown";
        try {
            window.status("Unpacking the application into " + folder);
            Files.createDirectories(folder);
            String outside = unpack(folder);
            if (outside != null) return "the application archive's entry " + outside + " lies outside " + folder;
        } catch (IOException e) {
            return "cannot unpack the application into " + folder + ": " + e;
        }
        window.status("Writing the uninstall entry");
        String setup = Setup.executable().toString();
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

    // The trailer is a zip archive of the application's files; returns the name of an entry
    // that would land outside the folder, which stops the unpacking, or null.
    private static String unpack(Path folder) throws IOException {
        try (ZipInputStream archive = new ZipInputStream(Setup.openTrailer())) {
            for (ZipEntry entry; (entry = archive.getNextEntry()) != null;) {
                Path target = folder.resolve(entry.getName()).normalize();
                if (!target.startsWith(folder)) return entry.getName();
                if (entry.isDirectory()) {
                    Files.createDirectories(target);
                    continue;
                }
                Files.createDirectories(target.getParent());
                Files.copy(archive, target, StandardCopyOption.REPLACE_EXISTING);
                System.out.println("installed " + target);
            }
        }
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
