package com.quillpack.runtime.installer.platform.win32;

import java.io.File;
import java.nio.charset.StandardCharsets;

/** The ShellLink natives from Java: args[1] a scratch directory, args[2] the links' target. */
final class ShellLinkDriver {
    private ShellLinkDriver() {}

    public static void main(String[] args) {
        NativeCases.load(args);
        File scratch = new File(args[1]);
        String target = args[2];
        String full = new File(scratch, "full ü.lnk").getPath();
        String bare = new File(scratch, "bare.lnk").getPath();
        String narrow = new File(scratch, "narrow.lnk").getPath();

        NativeCases.check("initialize0", ShellLink.initialize0(), "false");
        NativeCases.check("createWide0 with every field",
                ShellLink.createWide0(full, target, scratch.getPath(), target, "--flag \"two words\"", true,
                        "Description ü", 7) && new File(full).isFile(), "not saved");
        NativeCases.check("createWide0 with the optional fields null",
                ShellLink.createWide0(bare, target, null, null, null, false, null, 1) && new File(bare).isFile(),
                "not saved");
        NativeCases.check("createWide0 without a link path or a target",
                !ShellLink.createWide0(null, target, null, null, null, false, null, 1)
                        && !ShellLink.createWide0(new File(scratch, "no target.lnk").getPath(), null, null, null, null,
                                false, null, 1), "true");
        NativeCases.check("createWide0 to a link path with a NUL inside",
                !ShellLink.createWide0(bare + ".lnk\u0000x", target, null, null, null, false, null, 1)
                        && !new File(bare + ".lnk").exists(), "true");
        NativeCases.check("createWide0 into a missing directory",
                !ShellLink.createWide0(new File(scratch, "missing\\x.lnk").getPath(), target, null, null, null, false,
                        null, 1), "true");
        NativeCases.check("create0, the 8-bit form",
                ShellLink.create0(narrow, bytes(target, true), bytes(scratch.getPath(), true), null,
                        bytes("narrow args", false), false, bytes("narrow", true)) && new File(narrow).isFile(),
                "not saved");

        NativeCases.check("changeNotify0 of the new link", ShellLink.changeNotify0(wide(full, true),
                wide(scratch.getPath(), true)), "false");
        NativeCases.check("changeNotify0 of missing paths, without their NUL", ShellLink.changeNotify0(
                wide("C:\\qpk\\missing.lnk", false), wide("C:\\qpk\\missing", false)), "false");
        NativeCases.check("uninitialize", ShellLink.uninitialize(), "false");
        NativeCases.check("uninitialize leaves COM alone that other code set up",
                comOfAnotherNative(new File(scratch, "other com.lnk").getPath(), target), "link not saved");
        NativeCases.done();
    }

    /** On a thread whose COM the file chooser set up, an unpaired uninitialize must not end it. */
    private static boolean comOfAnotherNative(String link, String target) {
        boolean[] saved = new boolean[1];
        Thread thread = new Thread(() -> {
            VistaFileChooser.initialize0();
            ShellLink.uninitialize();
            saved[0] = ShellLink.createWide0(link, target, null, null, null, false, null, 1);
        });
        thread.start();
        try {
            thread.join(60_000);
        } catch (InterruptedException e) {
            return false;
        }
        return saved[0];
    }

    private static byte[] bytes(String text, boolean withNul) {
        return (withNul ? text + "\0" : text).getBytes(StandardCharsets.US_ASCII);
    }

    private static byte[] wide(String text, boolean withNul) {
        return (withNul ? text + "\0" : text).getBytes(StandardCharsets.UTF_16LE);
    }
}
