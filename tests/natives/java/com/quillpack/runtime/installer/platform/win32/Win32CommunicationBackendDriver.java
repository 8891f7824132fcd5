package com.quillpack.runtime.installer.platform.win32;

import java.io.BufferedReader;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Set;
import java.util.TreeSet;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * The pipe natives between two real processes. Arguments: the natives DLL and pipepeer.exe.
 * Started as "DLL echo PIPE COUNT" it is the second process: it connects as the client and
 * echoes COUNT blocks. Started as "DLL readone PIPE" it listens and reads one block, and
 * reports the heap it uses meanwhile.
 */
public final class Win32CommunicationBackendDriver {
    private static final long INVALID = -1;
    private static String peerPath;
    private static final String PREFIX = "\\\\.\\pipe\\qpk-tests-" + ProcessHandle.current().pid() + "-";

    public static void main(String[] args) throws Exception {
        System.load(args[0]);
        if (args[1].equals("echo")) {
            System.exit(echo(args[2], Integer.parseInt(args[3])));
        }
        if (args[1].equals("readone")) {
            readOne(args[2]);
            return;
        }
        peerPath = args[1];
        Thread busyClient = clientWaitOnABusyPipe();
        invalidHandles();
        processes();
        echoWithSecondJvm(args[0]);
        forgedBlocks();
        memoryFollowsData(args[0]);
        security();
        clientsThatLeft();
        busyClient.join(150_000);
        NativeCases.check("client waits about 100 s for a busy pipe, then gives 0", !busyClient.isAlive()
                && busyWait.startsWith("0 "), busyClient.isAlive() ? "still waiting" : busyWait);
        NativeCases.done();
    }

    private static void invalidHandles() {
        long invalid = Win32CommunicationBackend.getInvalidHandle0();
        Win32CommunicationBackend.closeHandle0(invalid);
        Win32CommunicationBackend.disconnectNamedPipe0(invalid);
        NativeCases.check("invalid handle refused by every call", invalid == INVALID
                && Win32CommunicationBackend.readDataBlock0(invalid) == null
                && !Win32CommunicationBackend.writeDataBlock0(invalid, new byte[1])
                && !Win32CommunicationBackend.connectNamedPipe0(invalid), "invalid=" + invalid);
        long begin = System.nanoTime();
        String cut = "\\\\.\\pipe\\qpk-nul-" + ProcessHandle.current().pid() + "\u0000x";
        boolean refused = Win32CommunicationBackend.createListener0(null) == INVALID
                && Win32CommunicationBackend.connectClient0(null) == 0
                && Win32CommunicationBackend.createListener0(cut) == INVALID
                && Win32CommunicationBackend.connectClient0(cut) == 0;
        long ms = (System.nanoTime() - begin) / 1_000_000;
        NativeCases.check("null pipe name, or one with a NUL inside, refused at once", refused && ms < 5000,
                "after " + ms + " ms");
    }

    private static void processes() throws Exception {
        long self = ProcessHandle.current().pid();
        int reported = Win32CommunicationBackend.getCurrentProcessId0();
        NativeCases.check("own process id and alive", reported == self
                && Win32CommunicationBackend.isProcessAlive0(reported), reported + " vs " + self);
        Process ended = new ProcessBuilder("cmd.exe", "/c", "exit 0").start();
        ended.waitFor(30, TimeUnit.SECONDS);
        NativeCases.check("ended process not alive",
                !Win32CommunicationBackend.isProcessAlive0((int) ended.pid()), "pid " + ended.pid());
    }

    /**
     * Client side: connect, report, read COUNT blocks, send them all back, close. A write
     * returns once the peer has read the block, so each side sends only while the other reads.
     */
    private static int echo(String pipe, int count) {
        long handle = Win32CommunicationBackend.connectClient0(pipe);
        if (handle == 0) return 2;
        System.out.println("connected");
        System.out.flush();
        List<byte[]> blocks = new ArrayList<>();
        for (int i = 0; i < count; i++) {
            byte[] block = Win32CommunicationBackend.readDataBlock0(handle);
            if (block == null) return 3;
            blocks.add(block);
        }
        for (byte[] block : blocks) {
            if (!Win32CommunicationBackend.writeDataBlock0(handle, block)) return 4;
        }
        Win32CommunicationBackend.closeHandle0(handle);
        return 0;
    }

    private static void readOne(String pipe) {
        long listener = Win32CommunicationBackend.createListener0(pipe);
        try {
            boolean connected = Win32CommunicationBackend.connectNamedPipe0(listener);
            Thread watcher = new Thread(() -> {
                try {
                    Thread.sleep(3000);
                } catch (InterruptedException e) {
                    return;
                }
                Runtime heap = Runtime.getRuntime();
                System.out.println("heap " + (heap.totalMemory() - heap.freeMemory()) / 1_000_000);
                System.out.flush();
            });
            watcher.setDaemon(true);
            watcher.start();
            byte[] got = Win32CommunicationBackend.readDataBlock0(listener);
            System.out.println(connected + " " + (got == null ? "null" : got.length + " bytes"));
        } catch (Throwable t) {
            System.out.println("threw " + t);
        }
        Win32CommunicationBackend.closeHandle0(listener);
    }

    private static Process startJava(String... tail) throws Exception {
        List<String> command = new ArrayList<>(List.of(System.getProperty("java.home") + "\\bin\\java.exe"));
        command.addAll(Arrays.asList(tail));
        return new ProcessBuilder(command).redirectErrorStream(true).start();
    }

    private static String describe(byte[] block) {
        return block == null ? "null" : block.length + " bytes";
    }

    private static byte[] pattern(int size) {
        byte[] bytes = new byte[size];
        for (int i = 0; i < size; i++) bytes[i] = (byte) (i * 31 + 7);
        return bytes;
    }

    private static void echoWithSecondJvm(String dll) throws Exception {
        String pipe = PREFIX + "echo";
        long listener = Win32CommunicationBackend.createListener0(pipe);
        NativeCases.check("listener created, a second one of the same name refused", listener != INVALID
                && Win32CommunicationBackend.createListener0(pipe) == INVALID, "handle " + listener);
        Process child = startJava("-cp", System.getProperty("java.class.path"),
                Win32CommunicationBackendDriver.class.getName(), dll, "echo", pipe, "4");
        try {
            BufferedReader out = new BufferedReader(new InputStreamReader(child.getInputStream(), StandardCharsets.UTF_8));
            String first = out.readLine();
            // The client is already connected when the listener starts waiting (error 535).
            NativeCases.check("client connected before connectNamedPipe0", "connected".equals(first)
                    && Win32CommunicationBackend.connectNamedPipe0(listener), "child said " + first);
            Process busy = new ProcessBuilder(peerPath, pipe, "busy").start();
            boolean busyEnded = busy.waitFor(30, TimeUnit.SECONDS);
            NativeCases.check("second client refused (231) while the first is connected and alive", busyEnded
                    && busy.exitValue() == 231 && Win32CommunicationBackend.isProcessAlive0((int) child.pid()),
                    busyEnded ? "exit " + busy.exitValue() : "no end");

            // One block beyond the 64 KiB buffers, then an empty and two small ones, back to
            // back in both directions.
            List<byte[]> blocks = List.of(pattern(100_000), new byte[0], pattern(1), pattern(3));
            boolean sent = true;
            for (byte[] block : blocks) sent &= Win32CommunicationBackend.writeDataBlock0(listener, block);
            List<byte[]> back = new ArrayList<>();
            for (int i = 0; i < blocks.size(); i++) back.add(Win32CommunicationBackend.readDataBlock0(listener));
            NativeCases.check("100,000-byte block across the 64 KiB buffers", sent && Arrays.equals(blocks.get(0),
                    back.get(0)), "sent " + sent + ", got " + describe(back.get(0)));
            boolean same = sent;
            for (int i = 1; i < blocks.size(); i++) same &= Arrays.equals(blocks.get(i), back.get(i));
            NativeCases.check("empty and small blocks back to back", same,
                    "got " + describe(back.get(1)) + ", " + describe(back.get(2)) + ", " + describe(back.get(3)));

            byte[] afterClose = Win32CommunicationBackend.readDataBlock0(listener);
            boolean ended = child.waitFor(60, TimeUnit.SECONDS);
            NativeCases.check("read after the peer closed gives null", afterClose == null
                    && ended && child.exitValue() == 0, ended ? "child exit " + child.exitValue() : "child runs on");
            NativeCases.check("ended peer not alive", !Win32CommunicationBackend.isProcessAlive0((int) child.pid()), "");
        } finally {
            child.destroyForcibly();
            Win32CommunicationBackend.disconnectNamedPipe0(listener);
            Win32CommunicationBackend.closeHandle0(listener);
        }
    }

    /**
     * Lets pipepeer write a block prefix and COUNT bytes ("send"), then reads one block; or
     * writes one while pipepeer reads only its prefix ("vanish"). The peer is killed after
     * killAfterMs; whether the call only returned because of that is part of the answer.
     */
    private static void forged(String name, byte[] expected, long killAfterMs, boolean expectKill, String... peerArgs)
            throws Exception {
        String pipe = PREFIX + name.replace(' ', '-');
        long listener = Win32CommunicationBackend.createListener0(pipe);
        List<String> command = new ArrayList<>(List.of(peerPath, pipe));
        command.addAll(Arrays.asList(peerArgs));
        Process peer = new ProcessBuilder(command).start();
        AtomicBoolean killed = new AtomicBoolean();
        Thread watchdog = new Thread(() -> {
            try {
                if (!peer.waitFor(killAfterMs, TimeUnit.MILLISECONDS)) {
                    killed.set(true);
                    peer.destroyForcibly();
                }
            } catch (InterruptedException e) {
                // the call returned first
            }
        });
        String outcome;
        boolean ok;
        try {
            boolean connected = Win32CommunicationBackend.connectNamedPipe0(listener);
            watchdog.start();
            if (peerArgs[0].equals("vanish")) {
                boolean written = Win32CommunicationBackend.writeDataBlock0(listener, pattern(300_000));
                ok = connected && !written;
                outcome = "written " + written;
            } else {
                byte[] got = Win32CommunicationBackend.readDataBlock0(listener);
                ok = connected && Arrays.equals(expected, got);
                outcome = describe(got);
            }
            watchdog.interrupt();
            watchdog.join();
            ok &= killed.get() == expectKill;
            outcome += ", peer killed " + killed.get();
        } catch (Throwable t) {
            ok = false;
            outcome = "threw " + t;
        } finally {
            Win32CommunicationBackend.closeHandle0(listener);
            peer.destroyForcibly();
            peer.waitFor(30, TimeUnit.SECONDS);
        }
        NativeCases.check(name, ok, outcome);
    }

    /**
     * A forged length that the heap could hold, with little data behind it: the reader's heap
     * must not grow by the length while it waits for the rest. The peer is then ended.
     */
    private static void memoryFollowsData(String dll) throws Exception {
        String pipe = PREFIX + "heap";
        Process reader = startJava("-Xmx512m", "-cp", System.getProperty("java.class.path"),
                Win32CommunicationBackendDriver.class.getName(), dll, "readone", pipe);
        Process peer = new ProcessBuilder(peerPath, pipe, "send", "200000000", "1000").start();
        BufferedReader out = new BufferedReader(new InputStreamReader(reader.getInputStream(), StandardCharsets.UTF_8));
        String heap = out.readLine();
        peer.destroyForcibly();
        boolean ended = reader.waitFor(30, TimeUnit.SECONDS);
        reader.destroyForcibly();
        String said = ended ? out.readLine() : "no end";
        boolean small = heap != null && heap.startsWith("heap ") && Long.parseLong(heap.substring(5)) < 100;
        NativeCases.check("a forged length of 200,000,000 takes no heap before its data, then null", small
                && "true null".equals(said), heap + ", then " + said);
    }

    private static String busyWait = "";

    /** A second client of a pipe whose one instance is taken, measured on a thread of its own. */
    private static Thread clientWaitOnABusyPipe() {
        String pipe = PREFIX + "busy";
        long listener = Win32CommunicationBackend.createListener0(pipe);
        long first = Win32CommunicationBackend.connectClient0(pipe);
        Thread second = new Thread(() -> {
            long begin = System.nanoTime();
            long handle = Win32CommunicationBackend.connectClient0(pipe);
            long seconds = (System.nanoTime() - begin) / 1_000_000_000L;
            busyWait = handle + " after " + seconds + " s";
            if (seconds < 90 || seconds > 130) busyWait = "took " + busyWait;
            Win32CommunicationBackend.closeHandle0(first);
            Win32CommunicationBackend.closeHandle0(listener);
        });
        second.setDaemon(true);
        second.start();
        return second;
    }

    private static String run(String... command) throws Exception {
        Process p = new ProcessBuilder(command).redirectErrorStream(true).start();
        String line = new BufferedReader(new InputStreamReader(p.getInputStream(), StandardCharsets.UTF_8)).readLine();
        return p.waitFor(30, TimeUnit.SECONDS) ? line + " (exit " + p.exitValue() + ")" : "no end";
    }

    /** Who may open the listener, as a client sees it; and what a listener may do as our client. */
    private static void security() throws Exception {
        String pipe = PREFIX + "dacl";
        long listener = Win32CommunicationBackend.createListener0(pipe);
        Process peer = new ProcessBuilder(peerPath, pipe, "dacl").start();
        Win32CommunicationBackend.connectNamedPipe0(listener);
        String dacl = new BufferedReader(new InputStreamReader(peer.getInputStream(), StandardCharsets.UTF_8)).readLine();
        peer.waitFor(30, TimeUnit.SECONDS);
        Win32CommunicationBackend.closeHandle0(listener);
        Set<String> trustees = new TreeSet<>();
        Matcher ace = Pattern.compile("\\(A;[^;]*;[^;]*;;;([^)]+)\\)")
                .matcher(dacl == null ? "" : dacl);
        while (ace.find()) trustees.add(ace.group(1));
        NativeCases.check("listener: a protected access list of this user, administrators and system", dacl != null
                && dacl.startsWith("D:P") && trustees.equals(new TreeSet<>(List.of(
                        Win32UserInfo.getUserSid0(), "BA", "SY"))), String.valueOf(dacl));

        pipe = PREFIX + "identify";
        Process listening = new ProcessBuilder(peerPath, pipe, "listen").start();
        long client = Win32CommunicationBackend.connectClient0(pipe);
        boolean written = Win32CommunicationBackend.writeDataBlock0(client, new byte[] {1});
        String level = new BufferedReader(new InputStreamReader(listening.getInputStream(), StandardCharsets.UTF_8))
                .readLine();
        listening.waitFor(30, TimeUnit.SECONDS);
        Win32CommunicationBackend.closeHandle0(client);
        NativeCases.check("client end opened and read by a listener of another process", written
                && level != null && level.startsWith("level "), "written " + written + ", " + level);
        if (NativeCases.onWine()) {
            NativeCases.skip("client allows identification only", "Wine ignores the client's quality of service");
        } else {
            NativeCases.check("client allows identification only", "level 1".equals(level), level);
        }
    }

    /** Clients that connected and left before connectNamedPipe0, and a handle that is none. */
    private static void clientsThatLeft() throws Exception {
        String pipe = PREFIX + "left";
        long listener = Win32CommunicationBackend.createListener0(pipe);
        String peer = run(peerPath, pipe, "leave", "3", "3");
        long begin = System.nanoTime();
        boolean connected = Win32CommunicationBackend.connectNamedPipe0(listener);
        byte[] got = Win32CommunicationBackend.readDataBlock0(listener);
        Win32CommunicationBackend.closeHandle0(listener);
        NativeCases.check("client gone with data left counts as connected", connected
                && Arrays.equals(new byte[] {0x5A, 0x5A, 0x5A}, got), peer + ", " + describe(got));

        listener = Win32CommunicationBackend.createListener0(pipe);
        peer = run(peerPath, pipe, "busy");
        connected = Win32CommunicationBackend.connectNamedPipe0(listener);
        Win32CommunicationBackend.closeHandle0(listener);
        boolean none = Win32CommunicationBackend.connectNamedPipe0(0);
        long ms = (System.nanoTime() - begin) / 1_000_000;
        NativeCases.check("client gone without data, and handle 0, fail at once", !connected && !none && ms < 10_000,
                peer + ", " + ms + " ms");
    }

    private static void forgedBlocks() throws Exception {
        forged("forged well-formed block", new byte[] {0x5A, 0x5A, 0x5A}, 20_000, false, "send", "3", "3");
        forged("forged negative length gives null", null, 20_000, false, "send", "-5", "0");
        // Beyond the largest array a Java runtime can create: nothing is made before the data.
        forged("forged length 2147483647 waits for its data, null once the peer is gone", null, 1_500, true, "send",
                "2147483647", "10");
        forged("peer killed mid-block gives null", null, 1_500, true, "send", "100000", "1000");
        forged("reader gone mid-block fails the write", null, 20_000, false, "vanish");
    }
}
