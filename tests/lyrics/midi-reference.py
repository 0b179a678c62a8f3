#!/usr/bin/python3
"""Times of the sung syllables of every MIDI file in the test data, as the mido library reads
them: one line per syllable, "file<TAB>hundredths<TAB>syllable as hex bytes". The words track is
chosen as karaoke files lay them out (the track named Words or Lyrics, else the one with the most
lyric events, else the one with the most text events when it holds several). mido knows no SMPTE
division: such a file's times are ticks / (frames per second x ticks per frame).
usage: midi-reference.py DATA_FOLDER OUTPUT_FILE"""
import os
import sys
import mido

KINDS = {"text": 1, "lyrics": 5}


def raw(msg):
    return msg.text.encode("latin-1").split(b"\0")[0]


def words_track(f):
    named = [i for i, t in enumerate(f.tracks) for m in t
             if m.type == "track_name" and m.name.strip().lower() in ("words", "lyrics")]
    counts = [(sum(m.type == "lyrics" for m in t),
               sum(m.type == "text" and not raw(m).startswith(b"@") for m in t)) for t in f.tracks]
    if named:
        i = named[0]
        return i, "lyrics" if counts[i][0] else "text"
    best = max(range(len(f.tracks)), key=lambda i: counts[i][0])
    if counts[best][0]:
        return best, "lyrics"
    best = max(range(len(f.tracks)), key=lambda i: counts[i][1])
    return (best, "text") if counts[best][1] > 1 else (None, None)


def syllables(path):
    f = mido.MidiFile(path)
    index, kind = words_track(f)
    if index is None:
        return []
    out = []
    if f.ticks_per_beat < 0:  # SMPTE
        division = f.ticks_per_beat & 0xFFFF
        per_second = -((division >> 8) - 256) * (division & 0xFF)
        tick = 0
        for m in f.tracks[index]:
            tick += m.time
            if m.type == kind:
                out.append((tick / per_second, raw(m)))
        return out
    # Only the tempo changes of every track and the words, timed by mido's own playback clock.
    kept = mido.MidiFile(type=1, ticks_per_beat=f.ticks_per_beat)
    for i, t in enumerate(f.tracks):
        track, carry = mido.MidiTrack(), 0
        for m in t:
            carry += m.time
            if m.type == "set_tempo" or (i == index and m.type == kind):
                track.append(m.copy(time=carry))
                carry = 0
        kept.tracks.append(track)
    seconds = 0.0
    for m in kept:
        seconds += m.time
        if m.type == kind:
            out.append((seconds, raw(m)))
    return out


def main():
    data, output = sys.argv[1], sys.argv[2]
    rows = []
    for folder in (data, os.path.join(data, "corpus")):
        for name in sorted(os.listdir(folder)):
            if not name.lower().endswith((".mid", ".kar", ".midi")):
                continue
            rel = os.path.relpath(os.path.join(folder, name), data)
            for seconds, text in syllables(os.path.join(folder, name)):
                if text.startswith(b"@"):
                    continue
                # A syllable is what is left between the line marks and the spaces.
                for piece in text.replace(b"\r", b" ").replace(b"\n", b" ").strip(b"/\\ ").split():
                    piece = piece.strip(b"/\\")
                    if piece:
                        rows.append("%s\t%d\t%s" % (rel, round(seconds * 100), piece.hex()))
    if not rows:
        sys.exit("no MIDI words found in " + data)
    with open(output, "w") as f:
        f.write("\n".join(rows) + "\n")


main()
