#!/usr/bin/env python3
"""Writes utf8-lyrics.kar: a small karaoke MIDI file made for Quilm's tests.

Format 1, 480 ticks a quarter note, 120 beats a minute. Track 0 holds the tempo, a track name
that is the song's title and a copyright notice (neither is lyrics). Track 1 holds the "@" header
lines of a karaoke file ("@K", "@L", "@T" title lines) as text events, then the words as lyric
events in UTF-8, split into syllables, with "\\" starting a page and "/" starting a line, one
syllable every 240 ticks. Track 2 plays one note per syllable. The words are our own.

Run it from this folder to make the file again: python3 make-utf8-kar.py
"""
import struct

LINES = [
    "\\Can|ta con|mi|go es|ta can|ción,",
    "/so|bre el pá|ja|ro y la es|ta|ción,",
    "/ó pé de la fuen|te ba|ja el sol,",
    "/la ño|ña te|je su co|lor.",
    "\\Ma|ña|na se|rá o|tro dí|a,",
    "/can|ta|ré la me|lo|dí|a,",
    "/la la la la la",
]


def varlen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, (n & 0x7F) | 0x80)
        n >>= 7
    return bytes(out)


def meta(delta, kind, data):
    return varlen(delta) + bytes([0xFF, kind]) + varlen(len(data)) + data


def track(events):
    body = b"".join(events) + meta(0, 0x2F, b"")
    return b"MTrk" + struct.pack(">I", len(body)) + body


def syllables():
    out = []
    for line in LINES:
        parts = line.split("|")
        for i, part in enumerate(parts):
            # A syllable that ends a word carries the space after it, as karaoke files do.
            out.append(part)
    return out


def main():
    conductor = track([
        meta(0, 0x51, (500000).to_bytes(3, "big")),
        meta(0, 0x03, "Canción de prueba".encode()),
        meta(0, 0x02, "Quilm tests, GPL-3.0-or-later".encode()),
    ])
    words = [meta(0, 0x03, b"Words")]
    for header in ["@KMIDI KARAOKE FILE", "@V0100", "@LSPA", "@TCanción de prueba", "@TQuilm"]:
        words.append(meta(0, 0x01, header.encode()))
    sylls = syllables()
    for i, s in enumerate(sylls):
        words.append(meta(0 if i == 0 else 240, 0x05, s.encode()))
    melody = []
    for i, _ in enumerate(sylls):
        pitch = 60 + (i * 5) % 12
        melody.append(varlen(0) + bytes([0x90, pitch, 80]))
        melody.append(varlen(240) + bytes([0x80, pitch, 0]))
    header = b"MThd" + struct.pack(">IHHH", 6, 1, 3, 480)
    with open("utf8-lyrics.kar", "wb") as f:
        f.write(header + conductor + track(words) + track(melody))


if __name__ == "__main__":
    main()
