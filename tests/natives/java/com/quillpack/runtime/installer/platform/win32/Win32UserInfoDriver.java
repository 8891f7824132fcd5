package com.quillpack.runtime.installer.platform.win32;

import java.nio.file.Files;
import java.nio.file.Path;

/**
 * The account natives against what this Wine implements. Arguments: the natives DLL and a
 * scratch directory. Users and groups it creates carry its own names and are deleted again.
 */
public final class Win32UserInfoDriver {
    private static final String USER = "qpku" + ProcessHandle.current().pid() % 100000;
    private static final String GROUP = "qpkg" + ProcessHandle.current().pid() % 100000;

    public static void main(String[] args) throws Exception {
        System.load(args[0]);
        Path scratch = Path.of(args[1]);
        try {
            token();
            accountNames();
            profiles();
            users();
            rights();
            elevated(scratch);
        } finally {
            Win32UserInfo.deleteUser0(null, USER);
            Win32UserInfo.deleteLocalGroup0(null, GROUP);
        }
        NativeCases.done();
    }

    private static void token() {
        int elevation = Win32UserInfo.getElevationType0();
        boolean administrator = Win32UserInfo.isMemberOfGroup0(544);
        // A full token holds the administrators enabled, a limited one for denying only.
        NativeCases.check("elevation type agrees with the administrators group", elevation == 1
                || (elevation == 2 && administrator) || (elevation == 3 && !administrator),
                "type " + elevation + ", administrator " + administrator);
        NativeCases.check("guests not held", !Win32UserInfo.isMemberOfGroup0(546), "");
    }

    private static void accountNames() {
        String sid = Win32UserInfo.getUserSid0();
        String name = Win32UserInfo.getAccountName0(sid, true);
        String full = Win32UserInfo.getAccountName0(sid, false);
        String machine = System.getenv("COMPUTERNAME");
        NativeCases.check("own SID names this machine's user", sid != null && sid.startsWith("S-1-5-21-")
                && System.getProperty("user.name").equalsIgnoreCase(name) && full != null
                && full.equalsIgnoreCase(machine + "\\" + name), "sid " + sid + ", " + name + ", " + full);
        NativeCases.check("service SIDs named without lookup",
                "NT AUTHORITY\\System".equals(Win32UserInfo.getAccountName0("S-1-5-18", false))
                        && "NT AUTHORITY\\LocalService".equals(Win32UserInfo.getAccountName0("S-1-5-19", true))
                        && "NT AUTHORITY\\NetworkService".equals(Win32UserInfo.getAccountName0("S-1-5-20", false)), "");
        String alias = Win32UserInfo.getAccountName0("S-1-5-32-544", false);
        String aliasName = Win32UserInfo.getAccountName0("S-1-5-32-544", true);
        NativeCases.check("built-in alias as .\\name", ".\\Administrators".equals(alias)
                && "Administrators".equals(aliasName), alias + ", " + aliasName);
        String malformed = Win32UserInfo.getAccountName0("S-1-x", false);
        NativeCases.check("malformed SID gives a space and the error number", " 1337".equals(malformed),
                "\"" + malformed + "\"");
    }

    private static void profiles() {
        String service = Win32UserInfo.getUserProfileDirectory0("S-1-5-19", null);
        String malformed = Win32UserInfo.getUserProfileDirectory0("S-1-x", "pw");
        NativeCases.check("profile of a service SID and of a malformed SID", " no user account".equals(service)
                && " could not convert sid 1337".equals(malformed), service + ", " + malformed);
        String own = Win32UserInfo.getUserProfileDirectory0(Win32UserInfo.getUserSid0(), "pw");
        if (NativeCases.onWine()) {
            NativeCases.skip("profile of the own SID with a wrong password", "Wine's LogonUserW is a stub that "
                    + "accepts any password, and GetUserProfileDirectoryW refuses its token");
        } else {
            NativeCases.check("profile of the own SID with a wrong password", own.startsWith(" could not get token "),
                    own);
        }
    }

    /** The answer of a successful addUser0, which this Wine cannot give. */
    private static void added(String name, String answer, String pattern) {
        if (NativeCases.onWine()) {
            NativeCases.skip(name, "Wine's NetUserGetInfo has no level 23 (2140), so adding a user ends at step 3");
        } else {
            NativeCases.check(name, answer != null && answer.matches(pattern), answer);
        }
    }

    /**
     * Wine's netapi32 keeps added users inside the process (its net.exe has no "user" command
     * to look from outside), and its local group calls succeed without doing anything, so
     * steps 1, 4, 5 and 6 cannot be reached here.
     */
    private static void users() {
        String sid = "S-1-5-21-[0-9-]+";
        String plain = Win32UserInfo.addUser0(USER, "Pw-1234567", "qpk test user", null, null, false, false);
        int cut = Win32UserInfo.deleteUser0(null, USER + "\u0000x");
        int deleted = Win32UserInfo.deleteUser0(null, USER);
        int deletedAgain = Win32UserInfo.deleteUser0(null, USER);
        NativeCases.check("add user: created, kept by a name with a NUL inside (123), deleted, then missing (2221)",
                cut == 123 && deleted == 0 && deletedAgain == 2221,
                plain + ", cut " + cut + ", deleted " + deleted + ", again " + deletedAgain);
        added("add user answers its SID", plain, sid);

        String noPassword = Win32UserInfo.addUser0(USER, null, null, null, null, false, false);
        NativeCases.check("add user without password or comment", Win32UserInfo.deleteUser0(null, USER) == 0,
                noPassword);

        String badName = Win32UserInfo.addUser0("u".repeat(300), "Pw-1234567", "c", null, null, false, false);
        String noName = Win32UserInfo.addUser0(null, "Pw-1234567", "c", null, null, false, false);
        NativeCases.check("refused user names give step 2, status and parameter index",
                "2 2202 0".equals(badName) && "2 87 1".equals(noName), badName + ", " + noName);

        String grouped = Win32UserInfo.addUser0(USER, "Pw-1234567", "c", GROUP, "qpk test group", true, true);
        int groupedDeleted = Win32UserInfo.deleteUser0(null, USER);
        String existing = Win32UserInfo.addUser0(USER, "Pw-1234567", "c", GROUP, null, false, false);
        int existingDeleted = Win32UserInfo.deleteUser0(null, USER);
        NativeCases.check("users added with a new and an existing group are created",
                groupedDeleted == 0 && existingDeleted == 0, grouped + ", " + existing);
        added("add user with a new group answers both SIDs and true", grouped, sid + " " + sid + " true");
        added("add user with an existing group answers both SIDs and false", existing, sid + " " + sid + " false");
        int groupDeleted = Win32UserInfo.deleteLocalGroup0(null, GROUP);
        NativeCases.check("delete local group", groupDeleted == 0, "status " + groupDeleted);
    }

    /** Wine's LSA rights calls succeed without doing anything; the SID resolution is ours. */
    private static void rights() {
        String sid = Win32UserInfo.getUserSid0();
        NativeCases.check("account right added and removed by SID and by name",
                Win32UserInfo.setLsaAccountRight0(sid, "SeServiceLogonRight", true)
                        && Win32UserInfo.setLsaAccountRight0(System.getProperty("user.name"), "SeServiceLogonRight", false)
                        && Win32UserInfo.setLsaAccountRight0(sid, null, false), "");
        NativeCases.check("unknown account gives false",
                !Win32UserInfo.setLsaAccountRight0("qpk-no-such-account", "SeServiceLogonRight", true), "");
        NativeCases.check("null account gives false",
                !Win32UserInfo.setLsaAccountRight0(null, "SeServiceLogonRight", true), "");
        NativeCases.check("the name WD is looked up, not read as the alias of everyone",
                !Win32UserInfo.setLsaAccountRight0("WD", "SeServiceLogonRight", true), "");
    }

    private static void elevated(Path scratch) throws Exception {
        Path marker = scratch.resolve("elevated.txt");
        Files.deleteIfExists(marker);
        boolean accepted = Win32UserInfo.executeElevated0("cmd.exe", "/c echo elevated> elevated.txt",
                scratch.toString(), 0);
        boolean written = false;
        for (int i = 0; i < 100 && !written; i++) {
            written = Files.exists(marker) && Files.readString(marker).startsWith("elevated");
            if (!written) Thread.sleep(100);
        }
        NativeCases.check("elevated start runs the program in the directory", accepted && written,
                "accepted " + accepted);
        NativeCases.check("elevated start of a missing program gives false",
                !Win32UserInfo.executeElevated0(scratch.resolve("missing.exe").toString(), null, null, 0), "");
    }
}
