/**
 * The class the launcher calls, which calls the installer's own main class.
 */
package com.quillpack.runtime.launcher;
