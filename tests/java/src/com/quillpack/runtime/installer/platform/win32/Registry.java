package com.quillpack.runtime.installer.platform.win32;

final class Registry {
    private Registry() {}

    static native boolean keyExists0(int root, String path, int view);

    static native boolean createKey0(int root, String path, int view);

    static native Object getValue0(int root, String path, String name, int view);

    static native boolean setValue0(int root, String path, String name, Object value, int kind,
            int view);

    static native void deleteValue0(int root, String path, String name, int view);

    static native void deleteKey0(int root, String path, boolean onlyIfEmpty, int view);

    static native boolean saveKey0(int root, String path, String file, int view);

    static native boolean restoreKey0(int root, String path, String file, int view);

    static native String[] enumSubKeys0(int root, String path, int view);

    static native String[] enumValues0(int root, String path, int view);

    static native void changeNotifyAssociations0();
}
