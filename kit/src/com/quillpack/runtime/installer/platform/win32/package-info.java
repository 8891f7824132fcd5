/**
 * The natives the launcher binds before the installer's main class runs: fourteen classes of
 * static native methods, and {@link com.quillpack.runtime.installer.platform.win32.Common}, which
 * tells whether they are bound. No native throws: each reports failure in its return value (false,
 * null, 0, -1, a Windows error code or a marker character at the start of a string), as its
 * documentation says. Strings are passed as UTF-16; a null string reaches Windows as a null
 * pointer.
 */
package com.quillpack.runtime.installer.platform.win32;
