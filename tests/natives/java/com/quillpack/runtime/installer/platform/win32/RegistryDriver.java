package com.quillpack.runtime.installer.platform.win32;

/** The Registry natives from Java, under HKCU\Software\qpk-tests\registry (args[1]). */
final class RegistryDriver {
    private static final int HKCU = 2;

    private RegistryDriver() {}

    public static void main(String[] args) {
        NativeCases.load(args);
        String base = args[1];
        String created = base + "\\created\\deeper";

        NativeCases.check("keyExists0 of HKCU\\Software", Registry.keyExists0(HKCU, "Software", 0), "false");
        NativeCases.check("keyExists0 of a missing key", !Registry.keyExists0(HKCU, created, 0), "true");
        NativeCases.check("createKey0 makes missing parents", Registry.createKey0(HKCU, created, 0), "false");
        NativeCases.check("keyExists0 after createKey0", Registry.keyExists0(HKCU, created, 0), "false");
        NativeCases.check("createKey0 of an existing key", Registry.createKey0(HKCU, created, 0), "false");
        for (int root : new int[] {0, 6, -1}) {
            NativeCases.check("root code " + root + " opens nothing",
                    !Registry.keyExists0(root, "Software", 0) && !Registry.createKey0(root, base, 0), "true");
        }
        NativeCases.done();
    }
}
