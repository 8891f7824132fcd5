package com.quillpack.standin;

import com.quillpack.runtime.installer.platform.win32.ACLHandling;
import com.quillpack.runtime.installer.platform.win32.FileVersion;
import com.quillpack.runtime.installer.platform.win32.FolderInfo;
import com.quillpack.runtime.installer.platform.win32.Misc;
import com.quillpack.runtime.installer.platform.win32.ObjectPicker;
import com.quillpack.runtime.installer.platform.win32.Registry;
import com.quillpack.runtime.installer.platform.win32.ShellLink;
import com.quillpack.runtime.installer.platform.win32.VistaFileChooser;
import com.quillpack.runtime.installer.platform.win32.VistaTaskDialog;
import com.quillpack.runtime.installer.platform.win32.Win32CommunicationBackend;
import com.quillpack.runtime.installer.platform.win32.Win32Exec;
import com.quillpack.runtime.installer.platform.win32.Win32Proxy;
import com.quillpack.runtime.installer.platform.win32.Win32Services;
import com.quillpack.runtime.installer.platform.win32.Win32UserInfo;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.Callable;

/**
 * Calls one native of every class the launcher registers, each chosen to succeed without
 * changing the machine, and reports "native.CLASS=result" per class ("unbound" when the
 * method was not registered, "missing" when the runtime lacks the class or the method).
 */
final class NativeTour {
    private NativeTour() {}

    static List<String> run(String tempDir) {
        List<String> lines = new ArrayList<>();
        String system = System.getenv("SystemRoot") + "\\system32";
        call(lines, "ACLHandling", () -> ACLHandling.addACE(tempDir, false, true, false, false, false, 1, null));
        call(lines, "FileVersion", () -> FileVersion.compare0(system + "\\kernel32.dll", system + "\\kernel32.dll"));
        call(lines, "FolderInfo", () -> FolderInfo.getWindowsDirectory0());
        call(lines, "Misc", () -> Misc.getPhysicalMemory0() > 0);
        // Without a window of its own the picker gives up at once.
        call(lines, "ObjectPicker", () -> ObjectPicker.show0(false, true, true, false, true) == null);
        call(lines, "ShellLink", () -> ShellLink.initialize0() && ShellLink.uninitialize());
        call(lines, "VistaFileChooser", () -> {
            VistaFileChooser.initialize0();
            return "called";
        });
        // An owner that is no window: the dialog cannot show, with or without a display, so no
        // button was pressed.
        call(lines, "VistaTaskDialog", () -> VistaTaskDialog.show0(1, "tour", null, null, 0, 0, 0, null,
                new String[0], 0));
        call(lines, "Win32CommunicationBackend",
                () -> Win32CommunicationBackend.getCurrentProcessId0() == ProcessHandle.current().pid());
        call(lines, "Win32Proxy", () -> Win32Proxy.loadFunctions0());
        call(lines, "Win32UserInfo", () -> Win32UserInfo.getUserSid0());
        call(lines, "Registry", () -> Registry.keyExists0(2, "Software", 0));
        call(lines, "Win32Exec", () -> Win32Exec.launch0(null, "qpk-no-such-program.exe"));
        call(lines, "Win32Services", () -> Win32Services.queryStatus0("qpk-no-such-service"));
        return lines;
    }

    private static void call(List<String> lines, String cls, Callable<Object> native0) {
        String result;
        try {
            result = String.valueOf(native0.call());
        } catch (UnsatisfiedLinkError e) {
            result = "unbound";
        } catch (LinkageError e) {
            result = "missing";
        } catch (Exception e) {
            result = "threw " + e;
        }
        lines.add("native." + cls + "=" + result);
    }
}
