package com.corvo.runtime.util;

/** The launcher stores its own executable's path here before main runs. */
public final class WinDel {
    public static String externalExecutable;

    private WinDel() {}
}
