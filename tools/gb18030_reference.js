#!/usr/bin/env node
// Writes to stdout what the Encoding Standard's gb18030 decoder (Node's
// TextDecoder) makes of every short byte sequence, for the native tests to
// compare with. Each sequence is decoded on its own, and its record is a count
// byte followed by that many UTF-16 units, little-endian. The order: every
// single byte; every lead 0x81..0xFE with every second byte; every four-byte
// sequence (lead 0x81..0xFE, 0x30..0x39, 0x81..0xFE, 0x30..0x39) in order.
'use strict';
const decoder = new TextDecoder('gb18030');
const chunks = [];
let buffer = Buffer.alloc(1 << 20);
let used = 0;
const emit = (bytes) => {
  const text = decoder.decode(bytes);
  if (used + 1 + 2 * text.length > buffer.length) {
    chunks.push(buffer.subarray(0, used));
    buffer = Buffer.alloc(1 << 20);
    used = 0;
  }
  buffer[used++] = text.length;
  for (let i = 0; i < text.length; ++i) {
    buffer.writeUInt16LE(text.charCodeAt(i), used);
    used += 2;
  }
};
const one = new Uint8Array(1), two = new Uint8Array(2), four = new Uint8Array(4);
for (let b = 0; b < 256; ++b) {
  one[0] = b;
  emit(one);
}
for (let lead = 0x81; lead <= 0xFE; ++lead) {
  for (let b = 0; b < 256; ++b) {
    two[0] = lead;
    two[1] = b;
    emit(two);
  }
}
for (let b1 = 0x81; b1 <= 0xFE; ++b1) {
  for (let b2 = 0x30; b2 <= 0x39; ++b2) {
    for (let b3 = 0x81; b3 <= 0xFE; ++b3) {
      for (let b4 = 0x30; b4 <= 0x39; ++b4) {
        four[0] = b1;
        four[1] = b2;
        four[2] = b3;
        four[3] = b4;
        emit(four);
      }
    }
  }
}
chunks.push(buffer.subarray(0, used));
process.stdout.write(Buffer.concat(chunks));
