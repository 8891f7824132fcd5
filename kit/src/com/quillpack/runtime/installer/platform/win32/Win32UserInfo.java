package com.quillpack.runtime.installer.platform.win32;

/**
 * The current user, accounts, groups, account rights and elevation. Strings that report
 * failure in their text tell it by their first character, as each method says. Any text
 * argument with a NUL character inside fails the call before Windows sees it, with the result
 * each method names.
 */
public final class Win32UserInfo {
    private Win32UserInfo() {}

    /**
     * Whether the current token holds a built-in group, enabled and not for deny only.
     *
     * @param rid the group's relative identifier, such as 544 for the administrators
     * @return true when it does, and also when it cannot be found out; false only when the
     *     token's groups were read and the group is not among them
     */
    public static native boolean isMemberOfGroup0(int rid);

    /**
     * Starts a program with elevation (Windows asks the user for consent); does not wait for it.
     *
     * @param file the program
     * @param parameters its arguments, or null
     * @param directory its working directory, or null
     * @param show a show command such as 1 (normal)
     * @return true when the start was accepted; false when the user declined, it failed or a
     *     text holds a NUL character
     */
    public static native boolean executeElevated0(String file, String parameters, String directory,
            int show);

    /**
     * The process token's elevation type.
     *
     * @return 1 default (no split token), 2 full (elevated), 3 limited; 0 when unknown
     */
    public static native int getElevationType0();

    /**
     * Creates a local user and, optionally, makes it a member of a local group.
     *
     * @param user the user name (null fails at step 2 as {@code "2 87 1"})
     * @param password its password (null: an empty one)
     * @param comment its comment, or null
     * @param group a local group, or null for none
     * @param groupComment the group's comment when it is created, or null
     * @param createGroup create the group (an existing group is used unless
     *     {@code failIfGroupExists})
     * @param failIfGroupExists fail when the group to be created exists already
     * @return on success the user's SID string (beginning with {@code S-}), with a group
     *     followed by a space, the group's SID, a space and {@code true} when the group was
     *     created or {@code false} when it existed (this part is left out when the group's SID
     *     cannot be looked up); on failure digits first: the step and the Windows status
     *     separated by a space (1 creating the group or finding it existing, 6 finding the
     *     group, 2 creating the user, followed by the index of the bad parameter, 3 reading the
     *     user back, 4 adding it to the group, 5 alone: converting its SID); a failure after
     *     step 2 leaves the user created; null when the account functions are missing or a text
     *     holds a NUL character (nothing is created then)
     */
    public static native String addUser0(String user, String password, String comment, String group,
            String groupComment, boolean createGroup, boolean failIfGroupExists);

    /**
     * Deletes a user.
     *
     * @param server the machine, or null for this one
     * @param user the user name
     * @return 0 when deleted, else the Windows or network status (2221: no such user; 123: a
     *     name holds a NUL character); -1 when the function is missing
     */
    public static native int deleteUser0(String server, String user);

    /**
     * Deletes a local group.
     *
     * @param server the machine, or null for this one
     * @param group the group name
     * @return 0 when deleted, else the Windows or network status (2220: no such group; 123: a
     *     name holds a NUL character); -1 when the function is missing
     */
    public static native int deleteLocalGroup0(String server, String group);

    /**
     * The account name of a SID.
     *
     * @param sid a SID string
     * @param nameOnly the name alone, without its domain
     * @return {@code DOMAIN\name} (a local account's domain is the computer's name; built-in
     *     aliases, whose SIDs begin with {@code S-1-5-32-}, and accounts without a domain get
     *     {@code .\name}); the service SIDs S-1-5-18, -19 and -20 give
     *     {@code NT AUTHORITY\System}, {@code NT AUTHORITY\LocalService} and
     *     {@code NT AUTHORITY\NetworkService}, also with {@code nameOnly}; on failure a space
     *     and the Windows error code ({@code " 1337"} for a SID with a NUL character inside);
     *     empty when Windows lacks the SID conversion function
     */
    public static native String getAccountName0(String sid, boolean nameOnly);

    /**
     * The profile directory of an account, through a network logon with its password.
     *
     * @param sid the account's SID string
     * @param password its password
     * @return the directory; on failure a text beginning with a space that says which step
     *     failed and the Windows error code, such as {@code " could not get token 1326"};
     *     {@code " no user account"} for the service SIDs; {@code " 1337"} when the SID or
     *     password holds a NUL character
     */
    public static native String getUserProfileDirectory0(String sid, String password);

    /**
     * The current user's SID.
     *
     * @return its string form, such as {@code S-1-5-21-...}, or null
     */
    public static native String getUserSid0();

    /**
     * Grants or revokes an account right in the local security policy.
     *
     * @param account a text beginning with {@code S-} is read as a SID string when it is one;
     *     any other text (even a short alias such as {@code BA}) is looked up as an account name
     * @param right a right such as {@code SeServiceLogonRight}; with {@code add} false, null
     *     revokes every right of the account
     * @param add grant (true) or revoke (false)
     * @return true on success; false when the account is null or unknown, a text holds a NUL
     *     character, or the policy refused
     */
    public static native boolean setLsaAccountRight0(String account, String right, boolean add);
}
