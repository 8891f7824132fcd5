package com.quillpack.runtime.installer.platform.win32;

/** Grants a user or a well-known group access to a file, a directory or a registry key. */
public final class ACLHandling {
    /** Trustee code: the authenticated users (S-1-5-11). */
    public static final int AUTHENTICATED_USERS = 1;
    /** Trustee code: the account given as the last argument, as a SID string or a name. */
    public static final int ACCOUNT = 3;
    /** Trustee code: the power users (S-1-5-32-547). */
    public static final int POWER_USERS = 5;
    /** Trustee code: everyone (S-1-1-0); any code not listed here means the same. */
    public static final int EVERYONE = 0;

    private ACLHandling() {}

    /**
     * Adds an access grant to an object's access list, keeping its other entries. The grant is
     * inherited by the objects and containers below. An object without an access list (which
     * lets everyone do everything) is left as it is and counts as success.
     *
     * @param path the file or directory path, or a registry key in the form Windows' named
     *     security functions take (such as {@code CURRENT_USER\Software\Example})
     * @param isRegistryKey true for a registry key, false for a file or directory
     * @param read grant {@code GENERIC_READ}
     * @param write grant {@code GENERIC_WRITE}
     * @param execute grant {@code GENERIC_EXECUTE}
     * @param all grant {@code GENERIC_ALL}
     * @param trustee who gets the grant: {@link #AUTHENTICATED_USERS}, {@link #ACCOUNT},
     *     {@link #POWER_USERS}, or anything else for {@link #EVERYONE}
     * @param account the account for {@link #ACCOUNT}: a text beginning with {@code S-} is read
     *     as a SID string such as {@code S-1-5-32-544} when it is one; any other text (even a
     *     short alias such as {@code BA}) is looked up as an account name; ignored for the other
     *     codes, except that a NUL inside it fails the call
     * @return true when the grant was added or the object has no access list; false when the
     *     path is null, the account is null or unknown for {@link #ACCOUNT}, the path or account
     *     holds a NUL character, or the access list cannot be read or written (the Windows
     *     error is printed to standard output)
     */
    public static native boolean addACE(String path, boolean isRegistryKey, boolean read, boolean write,
            boolean execute, boolean all, int trustee, String account);
}
