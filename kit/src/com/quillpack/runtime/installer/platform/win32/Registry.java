package com.quillpack.runtime.installer.platform.win32;

/**
 * The Windows registry. Every method but {@link #changeNotifyAssociations0} takes a root code
 * first and a view last: {@link #DEFAULT_VIEW}, {@link #VIEW_64} or {@link #VIEW_32}. A null
 * key path means the root itself (except for {@link #deleteKey0}), a null value name the key's
 * unnamed default value. An unknown root code fails like a key that cannot be opened. A key
 * path, value name or file name with a NUL character inside fails the call before anything is
 * read, created, written or deleted. Nothing is thrown: failure is false, null or no effect.
 */
public final class Registry {
    /** Root code of {@code HKEY_CLASSES_ROOT}. */
    public static final int HKEY_CLASSES_ROOT = 1;
    /** Root code of {@code HKEY_CURRENT_USER}. */
    public static final int HKEY_CURRENT_USER = 2;
    /** Root code of {@code HKEY_LOCAL_MACHINE}. */
    public static final int HKEY_LOCAL_MACHINE = 3;
    /** Root code of {@code HKEY_USERS}. */
    public static final int HKEY_USERS = 4;
    /** Root code of {@code HKEY_CURRENT_CONFIG}. */
    public static final int HKEY_CURRENT_CONFIG = 5;

    /** Kind code for {@link #setValue0}: {@code REG_SZ} from a {@code String}. */
    public static final int STRING = 1;
    /** Kind code: {@code REG_DWORD} from an {@code Integer}. */
    public static final int DWORD = 2;
    /** Kind code: {@code REG_MULTI_SZ} from a {@code String[]} without empty elements. */
    public static final int MULTI_STRING = 3;
    /** Kind code: {@code REG_BINARY} from a {@code byte[]}. */
    public static final int BINARY = 4;
    /** Kind code: {@code REG_EXPAND_SZ} from a {@code String}. */
    public static final int EXPAND_STRING = 5;

    /** The process's own registry view. */
    public static final int DEFAULT_VIEW = 0;
    /** The 64-bit view ({@code KEY_WOW64_64KEY}). */
    public static final int VIEW_64 = 0x0100;
    /** The 32-bit view ({@code KEY_WOW64_32KEY}, {@code Wow6432Node}). */
    public static final int VIEW_32 = 0x0200;

    private Registry() {}

    /**
     * Whether a key exists and can be opened for reading.
     *
     * @param root a root code
     * @param path the key path
     * @param view a view
     * @return true when it can be opened
     */
    public static native boolean keyExists0(int root, String path, int view);

    /**
     * Creates a key with any missing keys above it.
     *
     * @param root a root code
     * @param path the key path
     * @param view a view
     * @return true when the key exists afterwards
     */
    public static native boolean createKey0(int root, String path, int view);

    /**
     * Reads a value.
     *
     * @param root a root code
     * @param path the key path
     * @param name the value name
     * @param view a view
     * @return by the value's type, read whole whatever its size: {@code String}
     *     ({@code REG_SZ}, one trailing NUL dropped),
     *     {@link com.quillpack.api.windows.WinRegistry.ExpandString} ({@code REG_EXPAND_SZ}),
     *     {@code byte[]} ({@code REG_BINARY}), {@code Integer} ({@code REG_DWORD}),
     *     {@code String[]} ({@code REG_MULTI_SZ}); null for a missing value or key, a
     *     {@code REG_DWORD} of fewer than 4 bytes, or any other type
     */
    public static native Object getValue0(int root, String path, String name, int view);

    /**
     * Writes a value whole, creating the key first (the key stays even when the value cannot
     * be written).
     *
     * @param root a root code
     * @param path the key path
     * @param name the value name
     * @param value the value, of the Java type its kind takes
     * @param kind {@link #STRING}, {@link #DWORD}, {@link #MULTI_STRING}, {@link #BINARY} or
     *     {@link #EXPAND_STRING}
     * @param view a view
     * @return true when written; false for an unknown kind, a null value or one of the wrong
     *     type, a string array with an empty or null element or of more than 100,000 bytes in
     *     all (each string and its NUL as UTF-16, and the final NUL), or a failed write (its
     *     Windows error code is printed to standard output)
     */
    public static native boolean setValue0(int root, String path, String name, Object value, int kind,
            int view);

    /**
     * Deletes a value; a missing one is no error. Nothing tells whether it was deleted.
     *
     * @param root a root code
     * @param path the key path
     * @param name the value name
     * @param view a view
     */
    public static native void deleteValue0(int root, String path, String name, int view);

    /**
     * Deletes a key with everything under it, deepest keys first. A null or empty path deletes
     * nothing (never a whole root). Failures are silent: what cannot be deleted stays.
     *
     * @param root a root code
     * @param path the key path
     * @param onlyIfEmpty delete the key only when it holds neither a value nor a subkey; a key
     *     that cannot be opened for writing or queried counts as not empty and is kept
     * @param view a view
     */
    public static native void deleteKey0(int root, String path, boolean onlyIfEmpty, int view);

    /**
     * Saves a key to a file, with the backup privilege.
     *
     * @param root a root code
     * @param path the key path
     * @param file the file to write; it must not exist
     * @param view a view
     * @return true when saved; false also when the account lacks the backup privilege or the
     *     key cannot be opened for reading and setting values
     */
    public static native boolean saveKey0(int root, String path, String file, int view);

    /**
     * Restores a key from a file written by {@link #saveKey0}, with the backup and restore
     * privileges, creating the key first.
     *
     * @param root a root code
     * @param path the key path
     * @param file the saved file
     * @param view a view
     * @return true when restored; false also when the account lacks either privilege
     */
    public static native boolean restoreKey0(int root, String path, String file, int view);

    /**
     * The names of a key's direct subkeys.
     *
     * @param root a root code
     * @param path the key path
     * @param view a view
     * @return the names in the registry's order (empty when there are none), or null when the
     *     key cannot be opened
     */
    public static native String[] enumSubKeys0(int root, String path, int view);

    /**
     * The names of a key's values (a name longer than 4,096 characters is left out).
     *
     * @param root a root code
     * @param path the key path
     * @param view a view
     * @return the names in the registry's order (empty when there are none), or null when the
     *     key cannot be opened
     */
    public static native String[] enumValues0(int root, String path, int view);

    /** Tells the shell that file associations changed. */
    public static native void changeNotifyAssociations0();
}
