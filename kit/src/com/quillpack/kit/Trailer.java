package com.quillpack.kit;

import java.io.EOFException;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.channels.FileChannel;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;

/**
 * The trailer of a packed setup: from the launcher's payload position to the end of the range
 * the block's CRC covers. The block lies right behind the raw data of the PE image's last
 * section and records that range's length; whatever follows it (a signature) is no trailer.
 */
final class Trailer {
    private static final int BLOCK_MAGIC = 0xE8E413D5;
    private static final int BLOCK_HEADER = 20;  // magic, integrity flag, CRC, checked length

    private Trailer() {}

    static InputStream open(Path setup, long start) throws IOException {
        FileChannel file = FileChannel.open(setup, StandardOpenOption.READ);
        try {
            long end = checkedRangeEnd(file, setup);
            if (start == end) {
                throw new FileNotFoundException(setup + " carries no trailer: nothing follows its payload files "
                        + "(the packer appends the manifest's \"trailer\" there)");
            }
            if (start > end) {
                throw new IOException(setup + ": the launcher's payload position " + start
                        + " lies behind the end of the checked range at " + end);
            }
            return new RangeStream(file, start, end);
        } catch (IOException | RuntimeException e) {
            file.close();
            throw e;
        }
    }

    // Where the launcher finds the block, and the end of the range its header records.
    static long checkedRangeEnd(FileChannel file, Path setup) throws IOException {
        long pe = readInt(file, 60, setup) & 0xFFFFFFFFL;
        int sections = readShort(file, pe + 6, setup);
        int optionalHeader = readShort(file, pe + 20, setup);
        // The size field of the last section header; its raw data offset follows.
        long sizeField = pe + optionalHeader + 40L * sections;
        long payloadStart = (readInt(file, sizeField, setup) & 0xFFFFFFFFL)
                + (readInt(file, sizeField + 4, setup) & 0xFFFFFFFFL);
        if (readInt(file, payloadStart, setup) != BLOCK_MAGIC) {
            throw new IOException(setup + " is no packed setup: no configuration block at byte " + payloadStart);
        }
        long checked = read(file, payloadStart + 12, 8, setup).getLong();
        long end = payloadStart + BLOCK_HEADER + checked;
        if (checked < 0 || end > file.size()) {
            throw new IOException(setup + ": its configuration block records a checked range of " + checked
                    + " bytes, which the file's " + file.size() + " bytes do not hold");
        }
        return end;
    }

    private static int readInt(FileChannel file, long position, Path setup) throws IOException {
        return read(file, position, 4, setup).getInt();
    }

    private static int readShort(FileChannel file, long position, Path setup) throws IOException {
        return read(file, position, 2, setup).getShort() & 0xFFFF;
    }

    private static ByteBuffer read(FileChannel file, long position, int size, Path setup) throws IOException {
        ByteBuffer buffer = ByteBuffer.allocate(size).order(ByteOrder.LITTLE_ENDIAN);
        while (buffer.hasRemaining()) {
            if (file.read(buffer, position + buffer.position()) < 0) {
                throw new EOFException(setup + " ends at byte " + file.size() + ", before its PE headers and "
                        + "configuration block do");
            }
        }
        return buffer.flip();
    }

    // A stream over [start, end) of the file; closing it closes the file.
    private static final class RangeStream extends InputStream {
        private final FileChannel file;
        private final long end;
        private long position;

        RangeStream(FileChannel file, long start, long end) {
            this.file = file;
            this.position = start;
            this.end = end;
        }

        @Override
        public int read() throws IOException {
            byte[] one = new byte[1];
            return read(one, 0, 1) < 0 ? -1 : one[0] & 0xFF;
        }

        @Override
        public int read(byte[] bytes, int offset, int length) throws IOException {
            java.util.Objects.checkFromIndexSize(offset, length, bytes.length);
            if (length == 0) return 0;
            if (position >= end) return -1;
            int want = (int) Math.min(length, end - position);
            int got = file.read(ByteBuffer.wrap(bytes, offset, want), position);
            if (got < 0) throw new EOFException("the setup ends before its trailer does");
            position += got;
            return got;
        }

        @Override
        public long skip(long count) {
            long skipped = Math.max(0, Math.min(count, end - position));
            position += skipped;
            return skipped;
        }

        @Override
        public int available() {
            return (int) Math.min(Integer.MAX_VALUE, end - position);
        }

        @Override
        public void close() throws IOException {
            file.close();
        }
    }
}
