package com.quillpack.runtime.installer.platform.win32;

final class ObjectPicker {
    private ObjectPicker() {}

    static native Result[] show0(boolean multiple, boolean groups, boolean users,
            boolean wellKnownPrincipals, boolean localOnly);

    /** One picked object; the native builds it from five strings. */
    public static final class Result {
        public final String name;
        public final String adsPath;
        public final String objectClass;
        public final String userPrincipalName;
        public final String sid;

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
