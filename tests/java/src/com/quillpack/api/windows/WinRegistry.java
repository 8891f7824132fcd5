package com.quillpack.api.windows;

public final class WinRegistry {
    private WinRegistry() {}

    /** A REG_EXPAND_SZ value as read, unexpanded; built by the registry natives. */
    public static class ExpandString {
        private final String value;

        public ExpandString(String value) {
            this.value = value;
        }

        public String getValue() {
            return value;
        }

        @Override
        public String toString() {
            return value;
        }
    }
}
