package com.quillpack.runtime.installer.platform.win32;

/**
 * args: test dll, a directory, a registry key (as "CURRENT_USER\\..."), a second registry key,
 * a key without an access list. The test reads the access lists back from outside.
 */
public final class ACLHandlingDriver {
    private ACLHandlingDriver() {}

    public static void main(String[] args) {
        NativeCases.load(args);
        String dir = args[1];
        String key = args[2];
        String allKey = args[3];
        String openKey = args[4];
        // object, registry key, read, write, execute, all, trustee, account, expected
        Object[][] cases = {
            {"authenticated users may read the directory", dir, false, true, false, false, false, 1, null, true},
            {"authenticated users may read the key", key, true, true, false, false, false, 1, null, true},
            {"power users (S-1-5-32-547) may write and execute the key", key, true, false, true, true, false, 5, null,
                true},
            {"everyone gets every right on the second key", allKey, true, true, true, true, true, 0, null, true},
            {"administrators by SID string", key, true, true, false, false, false, 3, "S-1-5-32-544", true},
            {"administrators by account name", allKey, true, true, false, false, false, 3, "Administrators", true},
            {"unknown account", key, true, true, false, false, false, 3, "qpk-no-such-account", false},
            {"the name WD is looked up, not read as the alias of everyone", key, true, true, false, false, false, 3,
                "WD", false},
            {"a key without an access list is left so", openKey, true, true, false, false, false, 1, null, true},
            {"null account", key, true, true, false, false, false, 3, null, false},
            {"null path", null, false, true, false, false, false, 1, null, false},
            {"a path with a NUL inside grants nothing on the key before it", key + "\u0000\\x", true, true, false,
                false, false, 0, null, false},
            {"missing file", dir + "\\missing.txt", false, true, false, false, false, 1, null, false},
        };
        for (Object[] c : cases) {
            boolean got = ACLHandling.addACE((String) c[1], (Boolean) c[2], (Boolean) c[3], (Boolean) c[4],
                    (Boolean) c[5], (Boolean) c[6], (Integer) c[7], (String) c[8]);
            NativeCases.check((String) c[0], got == (Boolean) c[9], "got " + got);
        }
        NativeCases.done();
    }
}
