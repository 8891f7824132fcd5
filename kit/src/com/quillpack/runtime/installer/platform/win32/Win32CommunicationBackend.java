package com.quillpack.runtime.installer.platform.win32;

/**
 * A local named pipe between two installer processes (typically this one and an elevated
 * second one started with {@link Win32UserInfo#executeElevated0}). One side creates a listener
 * and waits for the other to connect; both then exchange data blocks, each a 4-byte
 * little-endian length followed by that many bytes. Handles are {@code long} values owned by
 * the caller, who closes them; a handle must not be read (or written) from two threads at once.
 *
 * <p>Listener: {@link #createListener0}, {@link #connectNamedPipe0}, blocks,
 * {@link #disconnectNamedPipe0}, {@link #closeHandle0}. Client: {@link #connectClient0}, blocks,
 * {@link #closeHandle0}.
 */
public final class Win32CommunicationBackend {
    private Win32CommunicationBackend() {}

    /**
     * The invalid handle, which {@link #createListener0} returns on failure.
     *
     * @return -1
     */
    public static native long getInvalidHandle0();

    /**
     * Creates the listening end: a single-instance duplex byte pipe that refuses remote clients.
     *
     * @param pipeName the full name, such as {@code \\.\pipe\example-setup-4711}
     * @return the handle, or -1 when the pipe cannot be created
     */
    public static native long createListener0(String pipeName);

    /**
     * Reads the next block; blocks until it has arrived whole.
     *
     * @param handle a connected listener or client handle
     * @return the block's bytes (an empty array for an empty block), or null when the handle is
     *     -1 or the peer closed the pipe or the read failed
     */
    public static native byte[] readDataBlock0(long handle);

    /**
     * Writes one block and waits until the peer has read it.
     *
     * @param handle a connected listener or client handle
     * @param payload the block's bytes
     * @return true when the whole block was written; false when the handle is -1 or a write
     *     failed
     */
    public static native boolean writeDataBlock0(long handle, byte[] payload);

    /**
     * Opens the client end, waiting (minutes at most) for the listener to exist and be free.
     *
     * @param pipeName the listener's full name
     * @return the handle, or 0 (not -1) when the pipe could not be opened
     */
    public static native long connectClient0(String pipeName);

    /**
     * Waits until a client has connected (also when it connected before this call).
     *
     * @param handle the listener handle
     * @return true when a client is connected; false when the handle is -1 or waiting failed
     */
    public static native boolean connectNamedPipe0(long handle);

    /**
     * Disconnects the client from the listener; does nothing for -1.
     *
     * @param handle the listener handle
     */
    public static native void disconnectNamedPipe0(long handle);

    /**
     * Closes a handle; does nothing for -1.
     *
     * @param handle a listener or client handle
     */
    public static native void closeHandle0(long handle);

    /**
     * Whether a process is still running; a process this one may not query counts as running.
     *
     * @param pid the process id
     * @return true when it runs
     */
    public static native boolean isProcessAlive0(int pid);

    /**
     * This process's id.
     *
     * @return the process id
     */
    public static native int getCurrentProcessId0();
}
