package com.quillpack.runtime.installer.platform.win32;

/**
 * The proxy settings Windows knows, as the HTTP services library gives them; the caller decides
 * what to use. Each query fills an array the caller supplies and returns a status: 0 success,
 * 100000 when the library's functions are missing, otherwise a Windows error code (87 for a
 * null array). Elements for which Windows gave no text or an empty one keep their previous
 * value (null in a new array); elements past the end of a shorter array are left out.
 */
public final class Win32Proxy {
    private Win32Proxy() {}

    /**
     * The current user's Internet settings.
     *
     * @param result four elements: {@code "true"} or {@code "false"} for automatic detection,
     *     the configuration script's URL, the proxy server list, the bypass list
     * @return the status
     */
    public static native int getIEConfig0(String[] result);

    /**
     * The machine's default WinHTTP configuration.
     *
     * @param result three elements: {@code "true"} when a named proxy is configured, else
     *     {@code "false"}; the proxy server list; the bypass list
     * @return the status
     */
    public static native int getDefaultConfig0(String[] result);

    /**
     * Automatic proxy discovery (WPAD or a configuration script) for one URL; may block for a
     * long time.
     *
     * @param result three elements as for {@link #getDefaultConfig0}
     * @param url the URL to be reached; null does nothing and returns 0 (even with a null
     *     array)
     * @param scriptUrl the configuration script's URL, or null
     * @param flags WinHTTP auto-proxy flags (1 auto-detect, 2 configuration URL)
     * @param autoDetectFlags WinHTTP auto-detect flags (1 DHCP, 2 DNS)
     * @param autoLogon log on automatically when the script's server asks
     * @return 0 on success; {@code (1L << 32) + error} when the session could not be opened;
     *     {@code (2L << 32) + error} when discovery failed (such as 12180 when nothing was
     *     found) and {@code (2L << 32) + 87} for a null array; 100000 when the library's
     *     functions are missing
     */
    public static native long getAutoProxyConfig0(String[] result, String url, String scriptUrl,
            int flags, int autoDetectFlags, boolean autoLogon);

    /**
     * Whether the HTTP services library offers every function these queries need.
     *
     * @return true when it does
     */
    public static native boolean loadFunctions0();
}
