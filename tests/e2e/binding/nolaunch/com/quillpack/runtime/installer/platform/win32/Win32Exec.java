package com.quillpack.runtime.installer.platform.win32;

/** A kit whose Win32Exec declares none of the natives the launcher registers for it. */
public final class Win32Exec {
    private Win32Exec() {}
}
