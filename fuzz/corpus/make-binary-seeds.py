#!/usr/bin/env python3
"""Writes the binary seeds of the IPC, focus and gesture targets: the
messages the IPC tests exchange, framed as the channel frames them, and the
gesture sequences of the gesture tests as the target's 20-byte records."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    with open(os.path.join(here, target, name), 'wb') as out:
        out.write(data)


def frame(body):
    return struct.pack('<Q', len(body)) + body


messages = [b'applicationClosed', b'yes=4242', b'no=', b'', b'x' * 5000]
stream = b''.join(frame(m) for m in messages)
for target in ('ipc_master_reads', 'ipc_slave_reads'):
    # The first byte is how the messages are read; the rest the stream.
    write(target, 'messages', bytes([0x00]) + stream)
    write(target, 'mixed-reads', bytes([0xE4]) + stream)
    write(target, 'torn', bytes([0x1B]) + stream[:-100])
    write(target, 'oversized', bytes([0x00]) + struct.pack('<Q', 64 * 1024 * 1024 + 1) + b'abc')

write('focus_reply', 'yes', frame(b'yes=4242'))
write('focus_reply', 'no', frame(b'no=0'))
write('focus_reply', 'yes-then-more', frame(b'yes=1=2\0tail') + frame(b'yes=7'))


def notify(consumer, x, y, accept=0xFF, window=0):
    # kind odd: notify; the consumer is kind >> 1 (1 emitter, 2 scroller)
    return struct.pack('<BBhhBBQBB2x', 1 | (consumer << 1), window, x, y, 0, 0, 0, accept, 0)


def gesture(gid, flags, x, y, arguments, accept=0xFF, window=0, missing=0):
    return struct.pack('<BBhhBBQBB2x', 0, window, x, y, gid, flags, arguments, accept, missing)


ZOOM, PAN, ROTATE, TAP, PRESSANDTAP = 3, 4, 5, 6, 7
BEGIN, INERTIA, END = 1, 2, 4
write('gesture_messages', 'pan-the-list',
      notify(2, 150, 80) + gesture(PAN, BEGIN, 150, 80, 0) + gesture(PAN, 0, 150, 40, 10) +
      gesture(PAN, INERTIA, 150, 0, (5 << 32) | 20) + gesture(PAN, END, 150, 0, 0))
write('gesture_messages', 'zoom-rotate-tap',
      notify(1, 300, 200) + gesture(ZOOM, BEGIN, 300, 200, 100) + gesture(ZOOM, END, 300, 200, 180) +
      gesture(ROTATE, BEGIN, 300, 200, 32767) + gesture(ROTATE, END, 300, 200, 40000) +
      gesture(TAP, 0, 300, 200, 30) + gesture(PRESSANDTAP, 0, 300, 200, (10 << 16) | 20))
write('gesture_messages', 'child-window-and-no-consumer',
      notify(0, 1, 1) + gesture(PAN, BEGIN, 1, 1, 0, window=1) + notify(1, 5, 5, accept=0) +
      gesture(ZOOM, 0, 5, 5, 1, missing=1))
