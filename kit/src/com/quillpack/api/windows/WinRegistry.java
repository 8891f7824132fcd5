package com.quillpack.api.windows;

/** Types of registry data that Java has no class of its own for. */
public final class WinRegistry {
    private WinRegistry() {}

    /**
     * A {@code REG_EXPAND_SZ} value as stored, its {@code %VARIABLE%} references unexpanded;
     * {@link com.quillpack.runtime.installer.platform.win32.Registry#getValue0} returns one.
     */
    public static class ExpandString {
        private final String value;

        /**
         * Creates the value; the registry natives call this.
         *
         * @param value the text as stored
         */
        public ExpandString(String value) {
            this.value = value;
        }

        /**
         * The text as stored.
         *
         * @return the unexpanded text
         */
        public String getValue() {
            return value;
        }

        @Override
        public String toString() {
            return value;
        }
    }
}
