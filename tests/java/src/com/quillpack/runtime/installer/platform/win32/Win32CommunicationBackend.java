package com.quillpack.runtime.installer.platform.win32;

final class Win32CommunicationBackend {
    private Win32CommunicationBackend() {}

    static native long getInvalidHandle0();

    static native long createListener0(String pipeName);

    static native byte[] readDataBlock0(long handle);

    static native boolean writeDataBlock0(long handle, byte[] payload);

    static native long connectClient0(String pipeName);

    static native boolean connectNamedPipe0(long handle);

    static native void disconnectNamedPipe0(long handle);

    static native void closeHandle0(long handle);

    static native boolean isProcessAlive0(int pid);

    static native int getCurrentProcessId0();
}
