package com.quillpack.runtime.installer.platform.win32;

final class Win32UserInfo {
    private Win32UserInfo() {}

    static native boolean isMemberOfGroup0(int rid);

    static native boolean executeElevated0(String file, String parameters, String directory,
            int show);

    static native int getElevationType0();

    static native String addUser0(String user, String password, String comment, String group,
            String groupComment, boolean createGroup, boolean failIfGroupExists);

    static native int deleteUser0(String server, String user);

    static native int deleteLocalGroup0(String server, String group);

    static native String getAccountName0(String sid, boolean nameOnly);

    static native String getUserProfileDirectory0(String sid, String password);

    static native String getUserSid0();

    static native boolean setLsaAccountRight0(String account, String right, boolean add);
}
