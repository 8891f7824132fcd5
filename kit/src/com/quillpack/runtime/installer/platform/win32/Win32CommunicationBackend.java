package com.quillpack.runtime.installer.platform.win32;

/**
 * A local named pipe between two installer processes (typically this one and an elevated
 * second one started with {@link Win32UserInfo#executeElevated0}). One side creates a listener
 * and waits for the other to connect; both then exchange data blocks, each a 4-byte signed
 * little-endian length followed by that many bytes. Only this user, the Administrators group
 * and the system may open the pipe, and the client lets the listener identify it but not act
 * as it. Handles are {@code long} values owned by the caller, who closes them; a handle must
 * not be read (or written) from two threads at once. A pipe name with a NUL character inside
 * is refused.
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
     * Creates the listening end: a single-instance duplex byte pipe that refuses remote clients
     * and that only this user, the Administrators group and the system may open.
     *
     * @param pipeName the full name, such as {@code \\.\pipe\example-setup-4711}
     * @return the handle, or -1 when the pipe cannot be created: the name is null, holds a NUL
     *     character or is in use already, or Windows refused
     */
    public static native long createListener0(String pipeName);

    /**
     * Reads the next block; blocks until it has arrived whole. Memory grows with the data
     * received, not with the length the peer announced.
     *
     * @param handle a connected listener or client handle
     * @return the block's bytes (an empty array for an empty block), or null when the handle is
     *     -1, the length is negative, the peer closed the pipe before the block was whole (the
     *     partial data is dropped), a read failed, or the Java heap cannot hold the block
     */
    public static native byte[] readDataBlock0(long handle);

    /**
     * Writes one block and waits until the peer has read it.
     *
     * @param handle a connected listener or client handle
     * @param payload the block's bytes
     * @return true when the whole block was written; false when the handle is -1, the payload
     *     is null or a write failed
     */
    public static native boolean writeDataBlock0(long handle, byte[] payload);

    /**
     * Opens the client end, for identification only, waiting about 100 seconds in all for the
     * listener to exist and be free.
     *
     * @param pipeName the listener's full name
     * @return the handle, or 0 (not -1) when the pipe could not be opened; at once for a null
     *     name or one with a NUL character inside
     */
    public static native long connectClient0(String pipeName);

    /**
     * Waits until a client has connected. A client that connected before this call counts,
     * also one that has left again if what it wrote is still to be read.
     *
     * @param handle the listener handle
     * @return true when a client is connected; false at once when the handle is -1 or not a
     *     listener (such as the 0 of a failed {@link #connectClient0}), when a client came and
     *     left without writing anything (disconnect before waiting again), or on any other
     *     failure (the Windows error is printed to standard output)
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
