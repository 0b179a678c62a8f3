#!/usr/bin/python3
"""Makes the lyric files of corpus/ that no public collection offered under a licence we may ship:
LRC files in the encodings Windows machines write, with the forms players accept, and MIDI files
with lyric events only, tempo changes in another track, SMPTE timing, text events beside a title
and a notice, and Shift-JIS or Windows-1251 words. Run it here; it needs python3-mido."""
import os
import mido

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


# LRC: UTF-8 with a byte-order mark and CR LF, a repeated chorus, an offset, ID tags.
write("bom-crlf-repeat.lrc", "\ufeff[ti:Row Song]\r\n[ar:Quilm tests]\r\n[offset:+250]\r\n"
      "[00:05.00]Row, row, row your boat\r\n[00:09.50][00:27.00]Gently down the stream\r\n"
      "[00:14.00]Merrily, merrily, merrily, merrily\r\n[00:18.25][00:31.75]Life is but a dream\r\n"
      "[00:36.00]\r\n".encode("utf-8"))
# Enhanced LRC: word times, syllables, a line without them.
write("enhanced.lrc", b"[ti:Enhanced]\n[00:01.00]<00:01.00>Twin<00:01.40>kle <00:01.80>twin"
      b"<00:02.20>kle <00:02.60>lit<00:03.00>tle <00:03.40>star<00:04.20>\n"
      b"[00:05.00]How I wonder\n[00:08.00]<00:08.00>what <00:08.50>you <00:09.00>are<00:10.00>\n")
texts = {
    "gbk.lrc": ("gbk", ["月亮代表我的心", "你问我爱你有多深", "我爱你有几分", "我的情也真"]),
    "big5.lrc": ("big5", ["月亮代表我的心", "你問我愛你有多深", "我愛你有幾分", "我的情也真"]),
    "shift-jis.lrc": ("shift_jis", ["さくら さくら", "やよいの空は", "見わたす限り", "かすみか雲か"]),
    "windows-1251.lrc": ("cp1251", ["Я помню чудное мгновенье", "Передо мной явилась ты",
                                    "Как мимолетное виденье", "Как гений чистой красоты"]),
}
for name, (codec, lines) in texts.items():
    body = "".join("[00:%02d.00]%s\n" % (4 * i + 2, line) for i, line in enumerate(lines))
    write(name, body.encode(codec))


def lyric(text, delta, codec="latin-1", kind="lyrics"):
    return mido.MetaMessage(kind, text=text.encode(codec).decode("latin-1"), time=delta)


def save(name, tracks, ticks=480, kind=1):
    f = mido.MidiFile(type=kind, ticks_per_beat=ticks)
    for t in tracks:
        f.tracks.append(mido.MidiTrack(t + [mido.MetaMessage("end_of_track", time=0)]))
    f.save(os.path.join(HERE, name))


def notes(count, delta):
    out = []
    for _ in range(count):
        out += [mido.Message("note_on", note=60, velocity=64, time=delta),
                mido.Message("note_off", note=60, velocity=0, time=delta // 2)]
    return out


# Lyric events only, tempo changes in the conductor track.
conductor = [mido.MetaMessage("set_tempo", tempo=500000, time=0),
             mido.MetaMessage("set_tempo", tempo=400000, time=1920),
             mido.MetaMessage("set_tempo", tempo=750000, time=1920)]
words = [lyric(s, 480) for s in ["Hap", "py ", "birth", "day ", "to ", "you\r",
                                 "Hap", "py ", "birth", "day ", "dear ", "friend\r"]]
save("lyrics-tempo.mid", [conductor, notes(4, 480), words])

# Format 0 with SMPTE timing (25 frames of 40 ticks a second) and a Words track name.
smpte = [mido.MetaMessage("track_name", name="Words", time=0), lyric("@TSMPTE song", 0, kind="text")]
smpte += [lyric(s, 250, kind="text") for s in ["\\One ", "two ", "three", "/Four ", "five"]]
save("smpte-words.kar", [smpte], ticks=0xE728 - 0x10000, kind=0)

# Text events for the words; a title and a notice in the first track.
first = [mido.MetaMessage("text", text="A title in text", time=0),
         mido.MetaMessage("copyright", text="(c) nobody", time=0)]
texted = [lyric(s, 240, kind="text") for s in ["/Down ", "by ", "the ", "ri", "ver", "/side"]]
save("text-events.mid", [first, texted])

# Shift-JIS and Windows-1251 lyric events.
save("shift-jis.kar", [[mido.MetaMessage("track_name", name="Words", time=0)] +
                       [lyric(s, 360, "shift_jis", "text") for s in
                        ["\\さ", "く", "ら ", "さ", "く", "ら", "/や", "よ", "い", "の", "そ", "ら", "は"]]])
save("windows-1251.mid", [[lyric(s, 300, "cp1251") for s in
                           ["Ка", "лин", "ка ", "ка", "лин", "ка ", "ка", "лин", "ка ", "мо", "я\r"]]])
