package com.quillpack.runtime.installer.platform.win32;

import java.util.Arrays;

/**
 * args: test dll, then "default AUTODETECT" (the prefix's own settings, whose detection flag the
 * test read) or "manual PROXY BYPASS" (settings the test wrote first). Every URL is on
 * 127.0.0.1, so no request leaves the machine.
 */
public final class Win32ProxyDriver {
    private static final String KEEP = "keep";

    private Win32ProxyDriver() {}

    private static String[] fresh(int length) {
        String[] a = new String[length];
        Arrays.fill(a, KEEP);
        return a;
    }

    public static void main(String[] args) {
        NativeCases.load(args);
        boolean manual = args[1].equals("manual");
        NativeCases.check("functions load", Win32Proxy.loadFunctions0(), "");

        String[] ie = fresh(4);
        int status = Win32Proxy.getIEConfig0(ie);
        String got = status + " " + Arrays.toString(ie);
        if (manual) {
            NativeCases.check("user settings: manual proxy and bypass list", status == 0
                    && ie[0].equals("false") && ie[2].equals(args[2]) && ie[3].equals(args[3]) && ie[1] == KEEP, got);
        } else {
            // No strings, so the elements keep their values.
            NativeCases.check("user settings: the detection flag, nothing else",
                    status == 0 && ie[0].equals(args[2]) && ie[1] == KEEP && ie[2] == KEEP && ie[3] == KEEP, got);
        }

        String[] def = fresh(3);
        status = Win32Proxy.getDefaultConfig0(def);
        got = status + " " + Arrays.toString(def);
        if (manual) {
            NativeCases.check("default configuration: named proxy", status == 0 && def[0].equals("true")
                    && def[1].equals(args[2]) && def[2].equals(args[3]), got);
        } else {
            NativeCases.check("default configuration: no proxy",
                    status == 0 && def[0].equals("false") && def[1] == KEEP && def[2] == KEEP, got);
        }

        long auto0 = Win32Proxy.getAutoProxyConfig0(null, "http://127.0.0.1:9/", null, 1, 1, false);
        NativeCases.check("a null result array is refused with 87", Win32Proxy.getIEConfig0(null) == 87
                && Win32Proxy.getDefaultConfig0(null) == 87 && auto0 == (2L << 32) + 87, Long.toHexString(auto0));

        String[] auto = fresh(3);
        long result = Win32Proxy.getAutoProxyConfig0(auto, null, null, 1, 1, false);
        NativeCases.check("null URL does nothing",
                result == 0 && Arrays.equals(auto, fresh(3)), result + " " + Arrays.toString(auto));

        // Discovery by DHCP only: Wine asks its own DHCP client, which knows of no script.
        result = Win32Proxy.getAutoProxyConfig0(auto, "http://127.0.0.1:9/", null, 1, 1, false);
        NativeCases.check("failed discovery is 2 << 32 plus 12180",
                result == (2L << 32) + 12180 && Arrays.equals(auto, fresh(3)), Long.toHexString(result));
        // A script on a closed loopback port cannot be fetched.
        result = Win32Proxy.getAutoProxyConfig0(auto, "http://127.0.0.1:9/", "http://127.0.0.1:9/proxy.pac", 2, 0,
                true);
        NativeCases.check("unreachable script is 2 << 32 plus 12167",
                result == (2L << 32) + 12167, Long.toHexString(result));
        NativeCases.done();
    }
}
