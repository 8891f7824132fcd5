package com.quillpack.runtime.installer.platform.win32;

final class ACLHandling {
    private ACLHandling() {}

    static native boolean addACE(String path, boolean isRegistryKey, boolean read, boolean write,
            boolean execute, boolean all, int trustee, String account);
}
