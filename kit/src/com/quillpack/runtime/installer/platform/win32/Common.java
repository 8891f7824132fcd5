package com.quillpack.runtime.installer.platform.win32;

import java.util.ArrayList;
import java.util.List;

/**
 * What the launcher reports about the natives of this package. Before the installer's main
 * class runs, the launcher calls {@link #initFromLauncher} with true and then binds the
 * natives of all fourteen classes; if binding fails it calls it again with false, and the
 * classes bound before the failure stay bound. Only a setup of product kind {@code q} binds
 * them; outside a setup nothing is reported and every native throws
 * {@link UnsatisfiedLinkError}.
 */
public final class Common {
    private static final List<Boolean> reports = new ArrayList<>();

    private Common() {}

    /**
     * Called by the launcher: true before it binds the natives, false when binding failed.
     *
     * @param bound what the launcher reports
     */
    public static void initFromLauncher(boolean bound) {
        synchronized (reports) {
            reports.add(bound);
        }
    }

    /**
     * Whether the natives are bound: the launcher reported true and did not take it back.
     *
     * @return true when every native of this package can be called
     */
    public static boolean nativesBound() {
        synchronized (reports) {
            return !reports.isEmpty() && reports.get(reports.size() - 1);
        }
    }

    /**
     * The launcher's reports in the order they came: empty outside a setup (or for a product
     * kind without natives), {@code [true]} when binding succeeded, {@code [true, false]} when
     * it failed.
     *
     * @return a copy of the reports
     */
    public static List<Boolean> launcherReports() {
        synchronized (reports) {
            return List.copyOf(reports);
        }
    }
}
