package com.quillpack.runtime.launcher;

import com.quillpack.kit.NotStartedBySetupException;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;
import java.util.List;

/**
 * The class the launcher calls in a setup of product kind {@code q}: it takes the launcher's
 * arguments apart and calls the {@code main} method of the installer's own main class, the one
 * the setup's manifest names as {@code mainClass}, with the program's arguments.
 *
 * <p>The launcher calls {@link #main} with six arguments of its own first: {@code "true"} when
 * the setup is a windowed application (application kind 1), else {@code "false"}; the main
 * class ({@code "/"} in front in module mode, where it may read {@code module/class}); the two
 * configured paths (empty when not configured); {@code "true"} or {@code "false"} for the
 * configured flag; the setup's path as the user typed it. The program's arguments follow: the
 * setup's fixed program arguments, then the user's command-line arguments, the launcher's own
 * switches such as {@code -q} or {@code -temp DIR} among them. Only these last reach the
 * installer's main class.
 */
public final class WinLauncher {
    private static final int LAUNCHER_ARGUMENTS = 6;
    private static volatile List<String> programArguments;

    private WinLauncher() {}

    /**
     * Calls the installer's main class with the program's arguments, on this thread.
     *
     * @param args the launcher's six arguments, then the program's arguments
     * @throws NotStartedBySetupException when {@code args} do not begin with the launcher's
     *     arguments
     * @throws ClassNotFoundException when the main class named by the setup is not found
     * @throws NoSuchMethodException when it has no {@code public static void main(String[])}
     * @throws Exception whatever the installer's main method throws, unwrapped
     */
    public static void main(String[] args) throws Exception {
        if (args.length < LAUNCHER_ARGUMENTS || !isFlag(args[0]) || !isFlag(args[4])) {
            throw new NotStartedBySetupException("WinLauncher expects the launcher's "
                    + LAUNCHER_ARGUMENTS + " arguments first, got " + Arrays.toString(args));
        }
        Method main = mainMethod(findMainClass(args[1]));
        List<String> program = List.of(Arrays.copyOfRange(args, LAUNCHER_ARGUMENTS, args.length));
        programArguments = program;
        try {
            main.invoke(null, (Object) program.toArray(new String[0]));
        } catch (InvocationTargetException e) {
            Throwable cause = e.getCause();
            if (cause instanceof Exception) throw (Exception) cause;
            if (cause instanceof Error) throw (Error) cause;
            throw e;
        }
    }

    /**
     * The program's arguments as {@link #main} handed them to the installer's main class.
     *
     * @return the arguments (unmodifiable), or null when {@link #main} has not run: the Java
     *     side was not started by a setup launcher
     */
    public static List<String> programArguments() {
        return programArguments;
    }

    private static boolean isFlag(String text) {
        return "true".equals(text) || "false".equals(text);
    }

    // In module mode the launcher puts "/" in front; the text may then name the class's module.
    private static Class<?> findMainClass(String text) throws ClassNotFoundException {
        boolean moduleMode = text.startsWith("/");
        String name = moduleMode ? text.substring(1) : text;
        if (name.isEmpty()) {
            throw new IllegalStateException("the setup names no main class: set \"mainClass\" in its manifest");
        }
        int slash = name.indexOf('/');
        if (!moduleMode || slash < 0) {
            return Class.forName(name, true, ClassLoader.getSystemClassLoader());
        }
        String moduleName = name.substring(0, slash);
        String className = name.substring(slash + 1);
        Module module = ModuleLayer.boot().findModule(moduleName).orElseThrow(
                () -> new ClassNotFoundException(name + ": no module " + moduleName + " was loaded"));
        Class<?> found = Class.forName(module, className);
        if (found == null) throw new ClassNotFoundException(name);
        return found;
    }

    private static Method mainMethod(Class<?> mainClass) throws NoSuchMethodException {
        Method main = mainClass.getMethod("main", String[].class);
        if (!Modifier.isStatic(main.getModifiers()) || main.getReturnType() != void.class) {
            throw new NoSuchMethodException(mainClass.getName() + " has no method public static void main(String[])");
        }
        // A public method of a class that is not public itself.
        main.trySetAccessible();
        return main;
    }
}
