#!/usr/bin/env python3
"""Cuts random ranges from VBR, low-rate and CBR sources with varnelo-cut and checks that mpg123
(and FFmpeg, when installed) decode each exactly as the source's own decode of that range.

usage: cutsweep.py VARNELO_CUT [CUTS_PER_SOURCE] [SEED]
Needs lame, espeak-ng and mpg123 on the path."""

import array
import math
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import wave
from pathlib import Path

SPEECH = ("In the beginning the reciter reads slowly, with long pauses between the verses. Then a "
          "second verse follows, quieter, and a third one, louder again. The recitation goes on "
          "for a while so that the file is long enough to cut ranges of many lengths from it.")


def write_wav(path, rate, channels, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(array.array("h", samples).tobytes())


def steady_tone(path):
    rate = 44100
    out = []
    for i in range(rate * 12):
        out += [int(9000 * math.sin(2 * math.pi * 440 * i / rate)),
                int(7000 * math.sin(2 * math.pi * 660 * i / rate))]
    write_wav(path, rate, 2, out)


def noisy_tone(path):
    rate, seed, out = 44100, 12345, []
    for i in range(rate * 12):
        seed = (seed * 1664525 + 1013904223) & 0xFFFFFFFF
        noise = ((seed >> 16) - 32768) / 32768.0
        out.append(int(round(9000 * math.sin(2 * math.pi * 440 * i / rate) + 3000 * noise)))
    write_wav(path, rate, 1, out)


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, **kw).stdout


def decode_mpg123(path):
    """Interleaved samples of mpg123's gapless decode."""
    return array.array("h", run("mpg123", "-q", "-s", str(path)))


def stream_format(path):
    out = subprocess.run(["mpg123", "-q", "-w", "-", "-n", "1", str(path)],
                         capture_output=True, check=True).stdout
    channels, rate = struct.unpack_from("<HI", out, 22)
    return channels, rate


def lame_delay(path):
    """Encoder delay in the cut's own info frame."""
    data = Path(path).read_bytes()[:2000]
    for tag in (b"Xing", b"Info"):
        at = data.find(tag)
        if 0 <= at < 60:
            d = data[at + 120 + 21:at + 120 + 24]
            return d[0] << 4 | d[1] >> 4
    return None


def main():
    cut_tool = sys.argv[1]
    per_source = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    have_ffmpeg = shutil.which("ffmpeg") is not None
    tmp = Path(tempfile.mkdtemp(prefix="cutsweep"))
    steady_tone(tmp / "steady.wav")
    noisy_tone(tmp / "noisy.wav")
    run("espeak-ng", "-w", str(tmp / "speech.wav"), SPEECH)
    sources = {
        "vbr4_44k_tone": ("steady.wav", ["-V", "4"]),
        "vbr9_32k": ("noisy.wav", ["-V", "9", "--resample", "32"]),
        "vbr9_22k_speech": ("speech.wav", ["-V", "9"]),
        "cbr128": ("noisy.wav", ["-b", "128"]),
    }
    failed = 0
    for name, (wav, args) in sources.items():
        mp3 = tmp / f"{name}.mp3"
        run("lame", "--quiet", *args, str(tmp / wav), str(mp3))
        channels, rate = stream_format(mp3)
        source = decode_mpg123(mp3)
        length_ms = len(source) // channels * 1000 // rate
        bad, worst_delay, ffmpeg_bad, ffmpeg_longest = 0, 0, 0, 0
        for _ in range(per_source):
            start = rng.randrange(0, length_ms - 50)
            end = rng.randrange(start + 50, length_ms + 1)
            out = tmp / "cut.mp3"
            run(cut_tool, str(mp3), str(start), str(end), str(out))
            clip = decode_mpg123(out)
            first, last = start * rate // 1000, end * rate // 1000
            want = source[first * channels:last * channels]
            exact = clip == want or (len(clip) == len(want) and all(
                abs(a - b) <= 1 for a, b in zip(clip, want)))
            delay = lame_delay(out)
            worst_delay = max(worst_delay, delay if delay is not None else 4095)
            if not exact or delay is None or delay >= 4095:
                bad += 1
                print(f"  {name} {start}..{end}: {len(clip) // channels} samples for "
                      f"{last - first}, delay {delay}")
            if have_ffmpeg:
                pcm = run("ffmpeg", "-v", "error", "-i", str(out), "-f", "s16le", "-")
                if abs(len(pcm) // 2 // channels - (last - first)) > 1:
                    ffmpeg_bad += 1
                    ffmpeg_longest = max(ffmpeg_longest, end - start)
        # FFmpeg leaves the end padding in files of a few VBR frames: only longer cuts count.
        failed += bad + (ffmpeg_longest >= 300)
        print(f"{name}: {per_source} cuts, {bad} not exact in mpg123, "
              f"{ffmpeg_bad if have_ffmpeg else 'n/a'} off in FFmpeg "
              f"(longest {ffmpeg_longest} ms), largest delay {worst_delay}")
    shutil.rmtree(tmp)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
