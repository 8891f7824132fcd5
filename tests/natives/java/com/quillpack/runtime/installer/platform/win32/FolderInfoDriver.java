package com.quillpack.runtime.installer.platform.win32;

import java.io.File;

/**
 * args: test dll, an existing directory whose name is not 8.3. Reports "folder.CODE path" for
 * the folders the test then looks at from outside.
 */
public final class FolderInfoDriver {
    private FolderInfoDriver() {}

    public static void main(String[] args) {
        NativeCases.load(args);
        String longDir = args[1];

        for (int code : new int[] {7, 10, 1001}) {
            NativeCases.info("folder." + code, FolderInfo.getSpecialFolder0(code, false));
        }
        String roaming = FolderInfo.getSpecialFolder0(7, false);
        String allUsersData = FolderInfo.getSpecialFolder0(7, true);
        NativeCases.check("application data per user and for all users differ",
                roaming != null && allUsersData != null && !roaming.equalsIgnoreCase(allUsersData),
                roaming + " / " + allUsersData);
        String local = FolderInfo.getSpecialFolder0(11, false);
        NativeCases.check("local application data is the same for both flags",
                local != null && local.equals(FolderInfo.getSpecialFolder0(11, true)) && !local.equals(roaming),
                local);
        String desktop = FolderInfo.getSpecialFolder0(1, false);
        NativeCases.check("codes 0 and 999 give the desktop",
                desktop != null && desktop.equals(FolderInfo.getSpecialFolder0(0, false))
                        && desktop.equals(FolderInfo.getSpecialFolder0(999, true)), desktop);
        String profile = FolderInfo.getSpecialFolder0(1004, false);
        NativeCases.check("codes above 1003 give the profile",
                profile != null && profile.equals(FolderInfo.getSpecialFolder0(5000, true))
                        && desktop != null && desktop.startsWith(profile), profile);
        String userPrograms = FolderInfo.getSpecialFolder0(1002, false);
        if (NativeCases.onWine()) {
            NativeCases.skip("code 1002 gives the user's program files", "Wine does not know FOLDERID_UserProgramFiles");
        } else {
            NativeCases.check("code 1002 gives the user's program files",
                    userPrograms != null && userPrograms.equalsIgnoreCase(local + "\\Programs"), userPrograms);
        }

        String programs = FolderInfo.getPathFromRegistry0("ProgramFilesDir");
        NativeCases.check("ProgramFilesDir from the registry",
                "C:\\Program Files".equalsIgnoreCase(programs), String.valueOf(programs));
        NativeCases.check("missing registry value gives null",
                FolderInfo.getPathFromRegistry0("qpk-no-such-value") == null, "not null");
        String windows = FolderInfo.getWindowsDirectory0();
        NativeCases.check("Windows directory", "C:\\windows".equalsIgnoreCase(windows), String.valueOf(windows));
        String system = FolderInfo.getSystemDirectory0();
        NativeCases.check("system directory",
                system != null && system.equalsIgnoreCase(windows + "\\system32"), String.valueOf(system));

        NativeCases.check("drive C: is fixed", FolderInfo.getDriveType0("C:\\") == 3, "");
        int none = FolderInfo.getDriveType0("Q:\\");
        NativeCases.check("missing drive has no root directory", none == 1, "got " + none);

        String missing = longDir + "\\no such file.txt";
        NativeCases.check("short name of a missing path is the argument itself",
                FolderInfo.getShortPathName0(missing) == missing, "");
        String shortName = FolderInfo.getShortPathName0(longDir);
        NativeCases.check("short name of an existing long name",
                shortName != null && shortName != longDir && !shortName.contains(" ")
                        && new File(shortName).isDirectory(), String.valueOf(shortName));

        String universal = FolderInfo.getUniversalPathName0(windows);
        NativeCases.check("universal name of a local path is ';' and the error",
                universal != null && universal.matches(";[1-9][0-9]*"), String.valueOf(universal));
        NativeCases.done();
    }
}
