package com.quillpack.kit;

/**
 * Thrown by the kit's calls when the Java side was not started by a setup launcher, so that
 * what the launcher hands over (system properties, the launcher's arguments, the natives) is
 * missing. The message begins with "not started by a setup launcher" and names what is missing.
 */
public class NotStartedBySetupException extends IllegalStateException {
    private static final long serialVersionUID = 1L;

    /**
     * Creates the exception.
     *
     * @param missing what the launcher would have handed over
     */
    public NotStartedBySetupException(String missing) {
        super("not started by a setup launcher: " + missing);
    }
}
