package com.quillpack.demo;

import java.awt.GraphicsEnvironment;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.SwingConstants;
import javax.swing.SwingUtilities;

/**
 * A small window that shows the current step while a display exists. The installer never
 * waits for it: the window is made and updated on the event thread, and without a display
 * every call does nothing.
 */
final class ProgressWindow {
    private static final long LINGER_MILLIS = 1500;

    private final JFrame frame;
    private final JLabel label;

    private ProgressWindow(JFrame frame, JLabel label) {
        this.frame = frame;
        this.label = label;
    }

    static ProgressWindow open(String title) {
        if (!hasDisplay()) return new ProgressWindow(null, null);
        JLabel label = new JLabel("", SwingConstants.CENTER);
        JFrame frame = new JFrame(title);
        SwingUtilities.invokeLater(() -> {
            frame.add(label);
            frame.setSize(420, 120);
            frame.setLocationRelativeTo(null);
            frame.setVisible(true);
        });
        return new ProgressWindow(frame, label);
    }

    // Under Wine a Windows runtime is never headless, and without X its first window call
    // hangs; Wine names its configuration folder in every process's environment, and whether
    // X is there shows in DISPLAY, which Wine passes on.
    private static boolean hasDisplay() {
        if (GraphicsEnvironment.isHeadless()) return false;
        String display = System.getenv("DISPLAY");
        return System.getenv("WINECONFIGDIR") == null || (display != null && !display.isEmpty());
    }

    void status(String text) {
        if (label != null) SwingUtilities.invokeLater(() -> label.setText(text));
    }

    /** Leaves the last step readable for a moment (the work often takes less), then closes. */
    void close(String lastStep) {
        if (frame == null) return;
        status(lastStep);
        try {
            Thread.sleep(LINGER_MILLIS);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
        SwingUtilities.invokeLater(frame::dispose);
    }
}
