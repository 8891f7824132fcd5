/**
 * The calls every installer needs of the setup that started it: {@link com.quillpack.kit.Setup}.
 */
package com.quillpack.kit;
