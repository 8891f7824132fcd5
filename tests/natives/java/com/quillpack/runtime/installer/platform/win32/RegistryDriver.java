package com.quillpack.runtime.installer.platform.win32;

import com.quillpack.api.windows.WinRegistry;
import java.io.File;
import java.util.Arrays;
import java.util.HashSet;
import java.util.Set;

/**
 * The Registry natives from Java: args[1] a key below HKCU that the gtest owns (with the odd
 * values it wrote under "raw", a subkey with a long class string under "classes" and a key
 * that may be read and deleted but not written, "locked"), args[2] a scratch directory.
 */
final class RegistryDriver {
    private static final int HKCU = 2;
    private static final int HKLM = 3;
    private static final int VIEW_64 = 0x100;
    private static final int VIEW_32 = 0x200;

    private RegistryDriver() {}

    public static void main(String[] args) {
        NativeCases.load(args);
        String base = args[1];
        File scratch = new File(args[2]);
        keys(base);
        values(base);
        limits(base);
        untrusted(base + "\\raw");
        enumeration(base);
        deletion(base);
        embeddedNuls(base + "\\victim", new File(scratch, "victim.hiv").getPath());
        saveAndRestore(base, scratch);
        Registry.changeNotifyAssociations0();
        NativeCases.done();
    }

    private static void keys(String base) {
        String created = base + "\\created\\deeper";
        NativeCases.check("keyExists0 of HKCU\\Software", Registry.keyExists0(HKCU, "Software", 0), "false");
        NativeCases.check("keyExists0 of a missing key", !Registry.keyExists0(HKCU, created, 0), "true");
        NativeCases.check("createKey0 makes missing parents", Registry.createKey0(HKCU, created, 0)
                && Registry.keyExists0(HKCU, created, 0), "false");
        NativeCases.check("createKey0 of an existing key", Registry.createKey0(HKCU, created, 0), "false");
        for (int root : new int[] {0, 6, -1}) {
            NativeCases.check("root code " + root + " reaches no key",
                    !Registry.keyExists0(root, "Software", 0) && !Registry.createKey0(root, base, 0)
                            && Registry.getValue0(root, base + "\\values", "sz", 0) == null
                            && Registry.enumSubKeys0(root, "Software", 0) == null
                            && !Registry.setValue0(root, base, "v", "x", 1, 0), "something was reached");
        }
        // The 32-bit view of HKLM\Software is Wow6432Node; the gtest looks there.
        NativeCases.check("setValue0 in the 32-bit view",
                Registry.setValue0(HKLM, "Software\\qpk-tests\\registry-view", "view", "32", 1, VIEW_32)
                        && !Registry.keyExists0(HKLM, "Software\\qpk-tests\\registry-view", VIEW_64),
                "not written, or visible in the 64-bit view");
    }

    private static void values(String base) {
        String key = base + "\\values";
        Object[][] cases = {
            {"sz", "text with ü and \u20ac", 1},
            {"expand", "%SystemRoot%\\x", 5},
            {"dword", -2, 2},
            {"multi", new String[] {"one", "two words", "ü"}, 3},
            {"empty multi", new String[0], 3},
            {"binary", new byte[] {0, 1, (byte) 0xFF, 0}, 4},
            {"empty sz", "", 1},
        };
        for (Object[] c : cases) {
            String name = (String) c[0];
            boolean written = Registry.setValue0(HKCU, key, name, c[1], (Integer) c[2], 0);
            Object read = Registry.getValue0(HKCU, key, name, 0);
            NativeCases.check("setValue0 and getValue0 of " + name, written && same(c[1], read, (Integer) c[2]),
                    written + " " + describe(read));
        }
        Object[][] refused = {
            {"kind 0", "x", 0}, {"kind 6", "x", 6}, {"Integer as kind 1", 5, 1}, {"String as kind 2", "5", 2},
            {"null value", null, 1}, {"null element", new String[] {"a", null}, 3},
            {"empty element", new String[] {"a", ""}, 3}, {"bytes as kind 3", new byte[1], 3},
        };
        for (Object[] c : refused) {
            String subKey = base + "\\refused\\" + c[0];
            boolean written = Registry.setValue0(HKCU, subKey, "v", c[1], (Integer) c[2], 0);
            NativeCases.check("setValue0 refuses " + c[0] + " but leaves the key",
                    !written && Registry.keyExists0(HKCU, subKey, 0)
                            && Registry.getValue0(HKCU, subKey, "v", 0) == null, "written " + written);
        }
        NativeCases.check("setValue0 with a null name writes the default value",
                Registry.setValue0(HKCU, key, null, "default", 1, 0)
                        && "default".equals(Registry.getValue0(HKCU, key, "", 0)), "not so");
        NativeCases.check("getValue0 of a missing value", Registry.getValue0(HKCU, key, "missing", 0) == null,
                "not null");
    }

    private static void limits(String base) {
        String key = base + "\\limits";
        char[] longText = new char[60000];
        Arrays.fill(longText, 'x');
        boolean written = Registry.setValue0(HKCU, key, "long", new String(longText), 1, 0);
        Object read = Registry.getValue0(HKCU, key, "long", 0);
        NativeCases.check("a string of 60,000 characters is written whole",
                written && read instanceof String && ((String) read).length() == 60000, describe(read));

        byte[] bytes = new byte[150000];
        bytes[149999] = 7;
        written = Registry.setValue0(HKCU, key, "bytes", bytes, 4, 0);
        read = Registry.getValue0(HKCU, key, "bytes", 0);
        NativeCases.check("a byte array of 150,000 is written whole",
                written && read instanceof byte[] && Arrays.equals(bytes, (byte[]) read), describe(read));

        String[] fits = new String[] {new String(longText, 0, 49997)};
        String[] tooMany = new String[] {new String(longText, 0, 49997), "y"};
        NativeCases.check("a string array up to 50,000 units is written, one more is refused",
                Registry.setValue0(HKCU, key, "fits", fits, 3, 0) && !Registry.setValue0(HKCU, key, "over", tooMany, 3, 0)
                        && Registry.getValue0(HKCU, key, "over", 0) == null, "not so");
    }

    private static void untrusted(String raw) {
        Object[][] cases = {
            {"sz without NUL", "abc"},
            {"sz with two NULs", "ab\0"},
            {"sz of odd size", "ab"},
            {"multi without final NULs", new String[] {"a", "bc"}},
            {"multi with an empty string inside", new String[] {"a", "", "b"}},
            {"multi of one unit", new String[0]},
            {"large", filled(300000, (byte) 1)},
            {"qword", null},
            {"short dword", null},
        };
        for (Object[] c : cases) {
            Object read = Registry.getValue0(HKCU, raw, (String) c[0], 0);
            NativeCases.check("getValue0 of " + c[0], same(c[1], read, 0), describe(read));
        }
    }

    private static void enumeration(String base) {
        String key = base + "\\enum";
        Registry.createKey0(HKCU, key + "\\one", 0);
        Registry.createKey0(HKCU, key + "\\two", 0);
        Registry.setValue0(HKCU, key, "x", "1", 1, 0);
        Registry.setValue0(HKCU, key, "y", 2, 2, 0);
        Registry.createKey0(HKCU, key + "\\one\\empty", 0);
        NativeCases.check("enumSubKeys0 names the direct subkeys",
                asSet(Registry.enumSubKeys0(HKCU, key, 0)).equals(Set.of("one", "two")),
                describe(Registry.enumSubKeys0(HKCU, key, 0)));
        NativeCases.check("enumValues0 names the values",
                asSet(Registry.enumValues0(HKCU, key, 0)).equals(Set.of("x", "y")),
                describe(Registry.enumValues0(HKCU, key, 0)));
        String[] noKeys = Registry.enumSubKeys0(HKCU, key + "\\one\\empty", 0);
        String[] noValues = Registry.enumValues0(HKCU, key + "\\one\\empty", 0);
        NativeCases.check("enumeration of an empty key gives empty arrays",
                noKeys != null && noKeys.length == 0 && noValues != null && noValues.length == 0,
                describe(noKeys) + " " + describe(noValues));
        NativeCases.check("enumSubKeys0 names a subkey with a class string of 5,000 characters",
                asSet(Registry.enumSubKeys0(HKCU, base + "\\classes", 0)).equals(Set.of("long class", "plain")),
                describe(Registry.enumSubKeys0(HKCU, base + "\\classes", 0)));
        NativeCases.check("enumeration of a missing key gives null",
                Registry.enumSubKeys0(HKCU, key + "\\missing", 0) == null
                        && Registry.enumValues0(HKCU, key + "\\missing", 0) == null, "not null");
    }

    private static void deletion(String base) {
        String key = base + "\\delete";
        Registry.setValue0(HKCU, key + "\\value", "v", "1", 1, 0);
        Registry.deleteValue0(HKCU, key + "\\value", "v", 0);
        NativeCases.check("deleteValue0", Registry.getValue0(HKCU, key + "\\value", "v", 0) == null
                && Registry.keyExists0(HKCU, key + "\\value", 0), "value left, or key gone");

        Registry.setValue0(HKCU, key + "\\holds value", "v", "1", 1, 0);
        Registry.createKey0(HKCU, key + "\\holds key\\child", 0);
        Registry.createKey0(HKCU, key + "\\empty", 0);
        Registry.deleteKey0(HKCU, key + "\\holds value", true, 0);
        Registry.deleteKey0(HKCU, key + "\\holds key", true, 0);
        Registry.deleteKey0(HKCU, key + "\\empty", true, 0);
        Registry.deleteKey0(HKCU, key + "\\missing", true, 0);
        NativeCases.check("deleteKey0 only if empty",
                Registry.keyExists0(HKCU, key + "\\holds value", 0) && Registry.keyExists0(HKCU, key + "\\holds key", 0)
                        && !Registry.keyExists0(HKCU, key + "\\empty", 0), "wrong keys deleted");
        // Its emptiness cannot be told, so it is kept.
        Registry.deleteKey0(HKCU, base + "\\locked", true, 0);
        NativeCases.check("deleteKey0 only if empty keeps a key it may not open for writing",
                Registry.keyExists0(HKCU, base + "\\locked\\child", 0), "deleted");

        for (int view : new int[] {0, VIEW_64}) {
            String tree = key + "\\tree" + view;
            Registry.setValue0(HKCU, tree + "\\a\\b\\c", "v", "1", 1, 0);
            Registry.createKey0(HKCU, tree + "\\d", 0);
            Registry.setValue0(HKCU, tree, "v", "1", 1, 0);
            Registry.deleteKey0(HKCU, tree, false, view);
            NativeCases.check("deleteKey0 of a whole tree, view " + view, !Registry.keyExists0(HKCU, tree, 0),
                    "tree left");
        }
    }

    private static void saveAndRestore(String base, File scratch) {
        String file = new File(scratch, "saved.hiv").getPath();
        Registry.setValue0(HKCU, base + "\\saved", "v", "saved", 1, 0);
        NativeCases.check("saveKey0 writes the file", Registry.saveKey0(HKCU, base + "\\saved", file, 0)
                && new File(file).length() > 0, "not saved");
        NativeCases.check("saveKey0 of a missing key", !Registry.saveKey0(HKCU, base + "\\missing",
                new File(scratch, "missing.hiv").getPath(), 0), "true");
        NativeCases.check("restoreKey0 succeeds and creates the key", Registry.restoreKey0(HKCU, base + "\\restored",
                file, 0) && Registry.keyExists0(HKCU, base + "\\restored", 0), "false");
        if (NativeCases.onWine()) {
            NativeCases.skip("restoreKey0 restores the saved value", "Wine's RegRestoreKeyW restores nothing");
        } else {
            NativeCases.check("restoreKey0 restores the saved value",
                    "saved".equals(Registry.getValue0(HKCU, base + "\\restored", "v", 0)), "not restored");
        }
    }

    /**
     * A NUL inside a key path or value name fails the call: Windows would stop reading the
     * name there and act on "victim" itself.
     */
    private static void embeddedNuls(String victim, String file) {
        Registry.setValue0(HKCU, victim, "keep", "kept", 1, 0);
        Registry.createKey0(HKCU, victim + "\\child", 0);
        String inside = victim + "\u0000\\x";
        Registry.deleteKey0(HKCU, inside, false, 0);
        Registry.deleteKey0(HKCU, victim + "\u0000", true, 0);
        Registry.deleteValue0(HKCU, inside, "keep", 0);
        Registry.deleteValue0(HKCU, victim, "keep\u0000x", 0);
        NativeCases.check("NUL in a path or name: setValue0, createKey0, saveKey0 and restoreKey0 refuse",
                !Registry.setValue0(HKCU, inside, "v", "x", 1, 0) && !Registry.setValue0(HKCU, victim, "v\u0000x", "x", 1, 0)
                        && !Registry.createKey0(HKCU, inside, 0)
                        && !Registry.saveKey0(HKCU, inside, file, 0)
                        && !Registry.restoreKey0(HKCU, inside, file, 0), "one went ahead");
        NativeCases.check("NUL in a path or name: nothing found",
                !Registry.keyExists0(HKCU, inside, 0) && Registry.getValue0(HKCU, victim, "keep\u0000x", 0) == null
                        && Registry.getValue0(HKCU, inside, "keep", 0) == null
                        && Registry.enumSubKeys0(HKCU, inside, 0) == null && Registry.enumValues0(HKCU, inside, 0) == null,
                "something found");
        NativeCases.check("NUL in a path or name: nothing deleted or written",
                "kept".equals(Registry.getValue0(HKCU, victim, "keep", 0))
                        && Registry.keyExists0(HKCU, victim + "\\child", 0)
                        && asSet(Registry.enumValues0(HKCU, victim, 0)).equals(Set.of("keep")),
                describe(Registry.enumValues0(HKCU, victim, 0)));
    }

    private static byte[] filled(int size, byte value) {
        byte[] bytes = new byte[size];
        Arrays.fill(bytes, value);
        return bytes;
    }

    private static boolean same(Object expected, Object read, int kind) {
        if (expected == null) {
            return read == null;
        }
        if (expected instanceof String[]) {
            return read instanceof String[] && Arrays.equals((String[]) expected, (String[]) read);
        }
        if (expected instanceof byte[]) {
            return read instanceof byte[] && Arrays.equals((byte[]) expected, (byte[]) read);
        }
        if (kind == 5) {
            return read instanceof WinRegistry.ExpandString
                    && expected.equals(((WinRegistry.ExpandString) read).getValue());
        }
        return expected.equals(read);
    }

    private static Set<String> asSet(String[] names) {
        return names == null ? Set.of("<null>") : new HashSet<>(Arrays.asList(names));
    }

    private static String describe(Object value) {
        if (value instanceof Object[]) {
            return Arrays.toString((Object[]) value);
        }
        if (value instanceof byte[]) {
            return "byte[" + ((byte[]) value).length + "]";
        }
        if (value instanceof String && ((String) value).length() > 40) {
            return "String of " + ((String) value).length();
        }
        return value == null ? "null" : value.getClass().getSimpleName() + " " + value;
    }
}
