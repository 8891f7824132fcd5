package com.quillpack.kit;

import java.io.IOException;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Stream;

/** The list file of the launcher's delayed-deletion role, and the start of that role. */
final class DeletionList {
    // Neither "force_reboot" nor "reboot_deletion": what stays is left, and no reboot is offered.
    private static final String CONTROL = "no_reboot";
    private static final String END_OF_TEXT = "EOSMARKER";
    private static final String ROLE = "__qpk_windel";
    // The launcher's private directory is named for its placeholder file: "cvo….tmp_dir<seconds>".
    private static final Pattern PRIVATE_DIRECTORY = Pattern.compile("(cvo.*\\.tmp)_dir[0-9]+");

    private DeletionList() {}

    /**
     * The list: the semaphore to wait for, the control word, an empty question and warning
     * text, the files, an empty line, the directories; lines end with CR LF.
     */
    static String text(String semaphore, List<Path> files, List<Path> directories) {
        StringBuilder text = new StringBuilder();
        for (String line : List.of(semaphore, CONTROL, END_OF_TEXT, END_OF_TEXT)) text.append(line).append("\r\n");
        appendPaths(text, files);
        text.append("\r\n");
        appendPaths(text, directories);
        return text.toString();
    }

    private static void appendPaths(StringBuilder text, List<Path> paths) {
        for (Path path : paths) {
            String line = path.toString();
            // The role resolves a relative path against the setup's directory, and reads a line
            // break as the end of an entry.
            if (!path.isAbsolute() || line.indexOf('\r') >= 0 || line.indexOf('\n') >= 0) {
                throw new IllegalArgumentException("not an absolute path on one line: " + line);
            }
            text.append(line).append("\r\n");
        }
    }

    /**
     * Writes the list (UTF-16LE after a byte-order mark) into a new file of `directory`, which
     * the role deletes when done, and starts the role.
     */
    static void start(Path executable, Path directory, String list) throws IOException {
        Path file = Files.createTempFile(directory, "qpkdel", ".lst");
        Files.write(file, ("\uFEFF" + list).getBytes(StandardCharsets.UTF_16LE));
        // Quoted by hand: the launcher's own splitter groups by single quotes too, which a
        // path may hold, but not inside double quotes.
        ProcessBuilder role = new ProcessBuilder(quoted(executable), ROLE, quoted(file))
                .redirectOutput(ProcessBuilder.Redirect.DISCARD)
                .redirectError(ProcessBuilder.Redirect.DISCARD);
        try {
            role.start().getOutputStream().close();
        } catch (IOException e) {
            Files.deleteIfExists(file);
            throw new IOException("cannot start " + executable + " in its delayed-deletion role: " + e.getMessage(), e);
        }
    }

    private static String quoted(Path path) {
        return "\"" + path + "\"";
    }

    /**
     * The list that deletes `directory` with everything in it, from one walk of it: its files
     * and its placeholder file when there is one; then the directories below it, inner ones
     * first, `directory` itself, and the directory in which the JVM keeps its performance data
     * file while it runs. The JVM deletes that file at its exit, and the role removes the
     * directory only when no other JVM's file is left in it.
     */
    static String textForTree(String semaphore, Path directory) throws IOException {
        List<Path> files = new ArrayList<>();
        List<Path> directories = new ArrayList<>();
        try (Stream<Path> paths = Files.walk(directory)) {
            paths.forEach(p -> (Files.isDirectory(p, LinkOption.NOFOLLOW_LINKS) ? directories : files).add(p));
        } catch (UncheckedIOException e) {
            throw e.getCause();
        }
        Matcher name = PRIVATE_DIRECTORY.matcher(String.valueOf(directory.getFileName()));
        if (name.matches()) {
            Path placeholder = directory.resolveSibling(name.group(1));
            if (Files.isRegularFile(placeholder, LinkOption.NOFOLLOW_LINKS)) files.add(placeholder);
        }
        directories.sort(Comparator.comparingInt((Path p) -> p.getNameCount()).reversed());
        Path jvmData = Paths.get(System.getProperty("java.io.tmpdir"), "hsperfdata_" + System.getProperty("user.name"));
        if (Files.isDirectory(jvmData, LinkOption.NOFOLLOW_LINKS)) directories.add(jvmData);
        return text(semaphore, files, directories);
    }
}
