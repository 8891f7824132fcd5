/**
 * The natives the launcher binds before the installer's main class runs: fourteen classes of
 * static native methods, and {@link com.quillpack.runtime.installer.platform.win32.Common}, which
 * tells whether they are bound. No native throws: each reports failure in its return value (false,
 * null, 0, -1, a Windows error code or a marker character at the start of a string), as its
 * documentation says. Strings are passed as UTF-16; a null string reaches Windows as a null
 * pointer. Windows reads a name only up to its first NUL character, so the natives that act on a
 * named object (a registry key or value, a service, an account or right, a file whose access,
 * link or boot-time move is set, a pipe, a program to start) refuse a name with a NUL inside,
 * with the failure result their documentation gives. Where a method's documentation does not
 * say so, such a text is read only up to its NUL.
 */
package com.quillpack.runtime.installer.platform.win32;
