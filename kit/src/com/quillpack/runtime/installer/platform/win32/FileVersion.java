package com.quillpack.runtime.installer.platform.win32;

/** Compares the version resources of two files. */
public final class FileVersion {
    /** {@link #compare0}: both files carry the same file version. */
    public static final int EQUAL = 0;
    /** {@link #compare0}: the first file is newer. */
    public static final int NEWER = 1;
    /** {@link #compare0}: the first file is older. */
    public static final int OLDER = 2;
    /** {@link #compare0}: a version could not be read. */
    public static final int UNREADABLE = 3;

    private FileVersion() {}

    /**
     * Compares the file versions (the fixed version record's four numbers, most significant
     * first, as numbers: 1.2.3.10 is newer than 1.2.3.4) of two files; product versions and
     * flags are not compared.
     *
     * @param first path of the first file
     * @param second path of the second file
     * @return {@link #EQUAL}, {@link #NEWER} or {@link #OLDER} for the first file against the
     *     second, {@link #UNREADABLE} when either path is null or holds a NUL character, or either
     *     file has no readable version resource
     */
    public static native int compare0(String first, String second);
}
