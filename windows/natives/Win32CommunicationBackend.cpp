// Natives of Win32CommunicationBackend: the named-pipe link to a second installer process.
// Handles cross into Java as the raw handle value; -1 is the invalid handle.
#include <jni.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "natives/BlockFraming.h"
#include "natives/JavaStrings.h"
#include "natives/NamedPipes.h"

using namespace qpk;

#define QPK_PIPES(method) Java_com_quillpack_runtime_installer_platform_win32_Win32CommunicationBackend_##method

namespace {

// Payloads move between the pipe and memory at most this much at a time.
constexpr DWORD kChunkSize = 0x10000;

// Runs step(offset, count) over consecutive chunks of a `length`-byte payload.
template <class Step>
bool forEachChunk(jsize length, Step step) {
    return transferExactly(static_cast<std::size_t>(length), [&](std::size_t offset, std::size_t wanted) {
        auto count = static_cast<jsize>(wanted < kChunkSize ? wanted : kChunkSize);
        return step(static_cast<jsize>(offset), count) ? static_cast<std::size_t>(count) : 0;
    });
}

// The payload grows with the data that has arrived, never with the length the peer claims;
// false if the peer stops sending before the whole block has come.
bool readPayload(HANDLE pipe, jsize length, std::vector<jbyte>& payload) {
    return forEachChunk(length, [&](jsize offset, jsize count) {
        payload.resize(static_cast<std::size_t>(offset) + static_cast<std::size_t>(count));
        return readExactly(pipe, payload.data() + offset, static_cast<DWORD>(count));
    });
}

HANDLE toHandle(jlong value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }
jlong fromHandle(HANDLE handle) { return static_cast<jlong>(reinterpret_cast<intptr_t>(handle)); }
bool isInvalid(jlong value) { return toHandle(value) == INVALID_HANDLE_VALUE; }

}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL QPK_PIPES(getInvalidHandle0)(JNIEnv*, jclass) {
    return fromHandle(INVALID_HANDLE_VALUE);
}

JNIEXPORT jlong JNICALL QPK_PIPES(createListener0)(JNIEnv* env, jclass, jstring name) {
    WideCopy pipe = toWideCopy(env, name);
    if (pipe.holdsNul()) return fromHandle(INVALID_HANDLE_VALUE);
    return fromHandle(createListenerPipe(pipe.get()));
}

JNIEXPORT jboolean JNICALL QPK_PIPES(connectNamedPipe0)(JNIEnv*, jclass, jlong handle) {
    return waitForPipeClient(toHandle(handle)) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jlong JNICALL QPK_PIPES(connectClient0)(JNIEnv* env, jclass, jstring name) {
    WideCopy pipe = toWideCopy(env, name);
    if (pipe.holdsNul()) return fromHandle(nullptr);
    return fromHandle(openPipeClient(pipe.get()));
}

// The length prefix comes from the other process: a negative length, or one whose array
// the Java heap cannot hold, gives null with nothing left pending in Java. A peer gone
// mid-block gives null too; the partial data is dropped.
JNIEXPORT jbyteArray JNICALL QPK_PIPES(readDataBlock0)(JNIEnv* env, jclass, jlong handle) {
    if (isInvalid(handle)) return nullptr;
    HANDLE pipe = toHandle(handle);
    unsigned char prefix[kBlockPrefixSize];
    if (!readExactly(pipe, prefix, sizeof prefix)) return nullptr;
    std::int32_t length = decodeBlockLength(prefix);
    std::vector<jbyte> payload;
    if (length < 0 || !readPayload(pipe, length, payload)) return nullptr;
    jbyteArray array = env->NewByteArray(length);
    if (array == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    if (length > 0) env->SetByteArrayRegion(array, 0, length, payload.data());
    return array;
}

JNIEXPORT jboolean JNICALL QPK_PIPES(writeDataBlock0)(JNIEnv* env, jclass, jlong handle, jbyteArray payload) {
    // A null payload has no length to send; it is refused rather than sent as a crash.
    if (isInvalid(handle) || payload == nullptr) return JNI_FALSE;
    HANDLE pipe = toHandle(handle);
    jsize length = env->GetArrayLength(payload);
    unsigned char prefix[kBlockPrefixSize];
    encodeBlockLength(length, prefix);
    if (!writeExactly(pipe, prefix, sizeof prefix)) return JNI_FALSE;
    std::vector<jbyte> chunk(kChunkSize);
    bool whole = forEachChunk(length, [&](jsize offset, jsize count) {
        env->GetByteArrayRegion(payload, offset, count, chunk.data());
        return writeExactly(pipe, chunk.data(), static_cast<DWORD>(count));
    });
    if (!whole) return JNI_FALSE;
    // Waits for the reader where Windows does so; the outcome does not change the answer.
    FlushFileBuffers(pipe);
    return JNI_TRUE;
}

JNIEXPORT void JNICALL QPK_PIPES(disconnectNamedPipe0)(JNIEnv*, jclass, jlong handle) {
    if (!isInvalid(handle)) DisconnectNamedPipe(toHandle(handle));
}

JNIEXPORT void JNICALL QPK_PIPES(closeHandle0)(JNIEnv*, jclass, jlong handle) {
    // A 0 from a failed connectClient0 reaches Windows, which refuses it harmlessly.
    if (!isInvalid(handle)) CloseHandle(toHandle(handle));
}

JNIEXPORT jboolean JNICALL QPK_PIPES(isProcessAlive0)(JNIEnv*, jclass, jint pid) {
    return isProcessAlive(static_cast<DWORD>(pid)) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jint JNICALL QPK_PIPES(getCurrentProcessId0)(JNIEnv*, jclass) {
    return static_cast<jint>(GetCurrentProcessId());
}

}  // extern "C"
