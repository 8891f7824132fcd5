/**
 * Registry data types of the natives.
 */
package com.quillpack.api.windows;
