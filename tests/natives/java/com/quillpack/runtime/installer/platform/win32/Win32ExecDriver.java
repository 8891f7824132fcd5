package com.quillpack.runtime.installer.platform.win32;

import java.io.File;

/** The Win32Exec native from Java: args[1] a scratch directory. */
final class Win32ExecDriver {
    private Win32ExecDriver() {}

    public static void main(String[] args) throws InterruptedException {
        NativeCases.load(args);
        File scratch = new File(args[1]);
        File written = new File(scratch, "launched.txt");

        int rc = Win32Exec.launch0(null, "cmd.exe /c echo launched> \"" + written.getPath() + "\"");
        for (int i = 0; i < 100 && !written.isFile(); i++) {
            Thread.sleep(100);
        }
        NativeCases.check("launch0 starts the command line", rc == 0 && written.isFile(), "rc " + rc);
        rc = Win32Exec.launch0("C:\\windows\\system32\\cmd.exe", "cmd /c exit 3");
        NativeCases.check("launch0 with an application name", rc == 0, "rc " + rc);
        rc = Win32Exec.launch0(null, "cmd.exe /c echo cut> \"" + written.getPath() + "\"\u0000x");
        NativeCases.check("launch0 of a command line with a NUL inside: 123", rc == 123, "rc " + rc);
        rc = Win32Exec.launch0(null, "qpk-no-such-program.exe");
        NativeCases.check("launch0 of a missing program: 2", rc == 2, "rc " + rc);
        rc = Win32Exec.launch0("C:\\windows\\qpk-no-such-program.exe", null);
        NativeCases.check("launch0 of a missing application without command line: 2", rc == 2, "rc " + rc);
        NativeCases.done();
    }
}
