/**
 * Where the launcher publishes its executable.
 */
package com.corvo.runtime.util;
