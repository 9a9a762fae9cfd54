#!/usr/bin/env python3
"""Makes the three default sounds of kivTool from scratch and encodes them with lame.

    resource/make-sounds.py [output-dir]      (default: the folder of this script)

relax.mp3        a calm pad with soft bells, 24 s, looped during a rest
relaxNotice.mp3  a short, gentle two-note chime (a rest was postponed)
relaxEnd.mp3     a short rising chime (the rest is over)

Pure Python (no numpy), deterministic: the same script and lame give the same files.
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile
import wave

RATE = 22050  # mono; these sounds carry nothing above a few kHz
TWO_PI = 2.0 * math.pi


def note(name_offset):
    """Frequency of the note `name_offset` semitones above A4 (440 Hz)."""
    return 440.0 * 2.0 ** (name_offset / 12.0)


def bell(t, freq, decay):
    """A soft bell struck at t = 0: a sine with two quiet inharmonic partials."""
    if t < 0.0:
        return 0.0
    attack = min(1.0, t / 0.012)  # a few ms of attack, so there is no click
    partials = (math.sin(TWO_PI * freq * t)
                + 0.30 * math.sin(TWO_PI * freq * 2.76 * t) * math.exp(-t * 3.0)
                + 0.12 * math.sin(TWO_PI * freq * 5.40 * t) * math.exp(-t * 6.0))
    return attack * math.exp(-t / decay) * partials


def relax_loop(seconds=24.0):
    """A pad whose every frequency and swell repeats exactly after `seconds`, so the
    waveform is periodic and the loop has no seam of its own. The level breathes down
    at the loop point as well, which hides the few milliseconds an MP3 decoder may
    add there."""
    n = int(seconds * RATE)
    period = n / RATE

    def periodic(f):
        return round(f * period) / period

    # A major pad (A2 E3 A3 C#4 E4), each tone as a slightly detuned pair.
    pad = []
    for i, (semis, level) in enumerate(((-24, 0.26), (-17, 0.20), (-12, 0.18),
                                        (-8, 0.12), (-5, 0.10))):
        f = note(semis)
        for detune in (-0.125, 0.125):
            pad.append((periodic(f + detune), level, 1 + i % 3, i * 1.3))
    # Bells from the A major pentatonic scale, struck at these times (seconds).
    bells = [(1.5, 0), (4.5, 4), (7.0, 7), (10.5, 2), (13.5, 4), (16.5, 9),
             (19.0, 7), (21.0, 4)]
    samples = []
    for k in range(n):
        t = k / RATE
        v = 0.0
        for f, level, swells, phase in pad:
            swell = 0.6 + 0.4 * math.sin(TWO_PI * swells * t / period + phase)
            v += level * swell * math.sin(TWO_PI * f * t)
        for start, semis in bells:
            # A bell that rings over the end of the loop rings on at its start.
            dt = (t - start) % period
            v += 0.16 * bell(dt, note(semis), 1.6)
        breath = 1.0 - 0.85 * math.exp(-((min(t, period - t) / 1.2) ** 2))
        samples.append(0.5 * breath * v)
    return samples


def chime(strikes, length):
    """Bells (start time, semitones above A4, level) over `length` seconds, faded out."""
    n = int(length * RATE)
    samples = []
    for k in range(n):
        t = k / RATE
        v = sum(level * bell(t - start, note(semis), 0.55) for start, semis, level in strikes)
        fade = min(1.0, (length - t) / 0.3)
        samples.append(0.45 * fade * v)
    return samples


def write_wav(path, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = 0.8 / peak if peak > 0.8 else 1.0
    frames = bytearray()
    for s in samples:
        value = int(round(s * scale * 32767.0))
        frames += max(-32768, min(32767, value)).to_bytes(2, "little", signed=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def encode(samples, mp3_path, bitrate):
    with tempfile.TemporaryDirectory() as tmp:
        wav_path = os.path.join(tmp, "sound.wav")
        write_wav(wav_path, samples)
        subprocess.run(["lame", "--quiet", "--noreplaygain", "-m", "m", "--cbr", "-b", str(bitrate),
                        wav_path, mp3_path], check=True)


def main():
    if shutil.which("lame") is None:
        sys.exit("make-sounds.py: needs the MP3 encoder 'lame' (apt-get install lame)")
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    # Two soft notes falling a fourth: "not yet".
    encode(chime([(0.0, 7, 1.0), (0.35, 2, 0.9)], 1.6),
           os.path.join(out, "relaxNotice.mp3"), 32)
    # A rising A major arpeggio: "back to work".
    encode(chime([(0.0, 0, 1.0), (0.18, 4, 0.9), (0.36, 7, 0.9), (0.54, 12, 0.8)], 2.4),
           os.path.join(out, "relaxEnd.mp3"), 32)
    encode(relax_loop(), os.path.join(out, "relax.mp3"), 24)


if __name__ == "__main__":
    main()
