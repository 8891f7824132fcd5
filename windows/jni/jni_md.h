// The platform part of the JNI headers for 64-bit Windows: the interface header comes from
// the build machine's JDK, whose own platform part describes a Unix ABI (a 64-bit long).
#pragma once

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;  // 32 bits on Windows
typedef long long jlong;
typedef signed char jbyte;
