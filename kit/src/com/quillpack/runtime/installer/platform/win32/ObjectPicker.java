package com.quillpack.runtime.installer.platform.win32;

/** The directory object picker: the user chooses users and groups. */
public final class ObjectPicker {
    private ObjectPicker() {}

    /**
     * Shows the picker, owned by the last visible window of this process (or its console
     * window), and waits until the user closes it.
     *
     * @param multiple allow more than one object to be chosen
     * @param groups offer groups
     * @param users offer users
     * @param wellKnownPrincipals offer well-known principals (system, local and network service;
     *     with groups: all well-known SIDs)
     * @param localOnly offer only this computer's accounts, not those of its domains
     * @return the chosen objects; null when the user cancelled, when this process has no window
     *     to own the picker (then a line says so on standard output) or on any failure
     */
    public static native Result[] show0(boolean multiple, boolean groups, boolean users,
            boolean wellKnownPrincipals, boolean localOnly);

    /** One chosen object; a field is null when the directory did not give it. */
    public static final class Result {
        /** The object's name. */
        public final String name;
        /** Its directory path (ADsPath). */
        public final String adsPath;
        /** Its directory class, such as {@code user} or {@code group}. */
        public final String objectClass;
        /** Its user principal name. */
        public final String userPrincipalName;
        /** Its SID as a string, such as {@code S-1-5-32-544}. */
        public final String sid;

        /**
         * Creates a result; the picker's native calls this.
         *
         * @param name the object's name
         * @param adsPath its directory path
         * @param objectClass its directory class
         * @param userPrincipalName its user principal name
         * @param sid its SID string
         */
        public Result(String name, String adsPath, String objectClass, String userPrincipalName,
                String sid) {
            this.name = name;
            this.adsPath = adsPath;
            this.objectClass = objectClass;
            this.userPrincipalName = userPrincipalName;
            this.sid = sid;
        }
    }
}
