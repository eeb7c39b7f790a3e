#!/usr/bin/env python3
"""Writes the two alarm clips, assets/low_limit.wav and assets/high_limit.wav.

    tools/make_clips.py [OUTPUT_DIR]      (default: assets/ beside this folder)

The low-limit alarm is a falling three-note figure, the high-limit alarm a rising four-note
figure, each repeated for the whole clip, so that the two are told apart at once even when they
sound together. Both are 16-bit stereo PCM in the plainest 44-byte RIFF/WAVE layout (a "fmt " and a
"data" chunk, nothing else); their rates and lengths are fixed, since the program and its tests
depend on them.

The output is the same byte for byte on every run and every machine: the tones are computed with
plain float arithmetic only (no libm), which IEEE 754 rounds the same way everywhere.
"""

import os
import struct
import sys

PEAK = 0.5  # of full scale: loud enough for an alarm, far from clipping
CLIP_FADE_S = 0.015  # at both ends of the clip, so that starting or ending it never clicks
NOTE_EDGE_S = 0.006  # attack and release of each note, for the same reason


class Clip:
    def __init__(self, name, rate, frames, notes_hz, note_s, gap_s, rest_s):
        self.name = name
        self.rate = rate
        self.frames = frames
        self.notes_hz = notes_hz
        self.note_s = note_s
        self.gap_s = gap_s
        self.rest_s = rest_s


CLIPS = [
    # G5, E flat 5, B4: down a major third twice, heard as "going down".
    Clip("low_limit.wav", 22050, 68544, [784.0, 622.3, 493.9], note_s=0.16, gap_s=0.05, rest_s=0.32),
    # C5, E5, G5, C6: up the major triad to the octave, heard as "going up".
    Clip("high_limit.wav", 44100, 175104, [523.3, 659.3, 784.0, 1046.5], note_s=0.11, gap_s=0.04, rest_s=0.32),
]


def sine_of_cycles(x):
    """sin(2*pi*x) for any x, by a polynomial on a quarter period (error below 1e-9)."""
    x -= int(x) if x >= 0 else int(x) - 1  # x in [0, 1)
    sign = 1.0
    if x >= 0.5:
        x -= 0.5
        sign = -1.0
    if x > 0.25:
        x = 0.5 - x
    t = x * 6.283185307179586  # radians in [0, pi/2]
    t2 = t * t
    # Taylor series to t^15; its remainder at pi/2 is below 1e-10.
    term = t
    total = t
    for k in range(1, 8):
        term = -term * t2 / ((2 * k) * (2 * k + 1))
        total += term
    return sign * total


def ramp(position, length):
    """0 -> 1 over `length` seconds, as a raised quarter sine so that the slope starts smoothly."""
    if position >= length:
        return 1.0
    if position <= 0:
        return 0.0
    return sine_of_cycles(0.25 * position / length) ** 2


def note_at(clip, t):
    """(frequency, time into the note) of the note sounding at time t, or None in a gap or rest.
    Only whole figures sound; the time left over after the last one is silent, so that the clip never
    ends on half a figure that would sound like the other alarm."""
    figure_s = len(clip.notes_hz) * (clip.note_s + clip.gap_s) + clip.rest_s
    whole_figures = int(clip.frames / clip.rate / figure_s)
    if t >= whole_figures * figure_s:
        return None
    into_figure = t - figure_s * int(t / figure_s)
    slot_s = clip.note_s + clip.gap_s
    index = int(into_figure / slot_s)
    if index >= len(clip.notes_hz):
        return None
    into_note = into_figure - index * slot_s
    if into_note >= clip.note_s:
        return None
    return clip.notes_hz[index], into_note


def soft_square(cycles):
    """Odd harmonics 1, 3, 5 at falling strength: it carries better than a sine and is not harsh."""
    return sine_of_cycles(cycles) + sine_of_cycles(3 * cycles) / 4 + sine_of_cycles(5 * cycles) / 12


# The wave's own peak over one period, so that PEAK is the true peak of the clip.
SOFT_SQUARE_PEAK = max(abs(soft_square(i / 4096)) for i in range(4096))


def tone(frequency, into_note):
    return soft_square(frequency * into_note) / SOFT_SQUARE_PEAK


def sample(clip, frame):
    t = frame / clip.rate
    sounding = note_at(clip, t)
    if sounding is None:
        return 0
    frequency, into_note = sounding
    envelope = ramp(into_note, NOTE_EDGE_S) * ramp(clip.note_s - into_note, NOTE_EDGE_S)
    duration = clip.frames / clip.rate
    envelope *= ramp(t, CLIP_FADE_S) * ramp(duration - t, CLIP_FADE_S)
    return round(PEAK * 32767 * envelope * tone(frequency, into_note))


def wav_image(clip):
    channels, bits = 2, 16
    block_align = channels * bits // 8
    samples = bytearray()
    for frame in range(clip.frames):
        value = sample(clip, frame)
        samples += struct.pack("<hh", value, value)
    header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, channels, clip.rate, clip.rate * block_align, block_align, bits)
    header += b"data" + struct.pack("<I", len(samples))
    return header + bytes(samples)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets")
    os.makedirs(out_dir, exist_ok=True)
    for clip in CLIPS:
        image = wav_image(clip)
        with open(os.path.join(out_dir, clip.name), "wb") as f:
            f.write(image)
        print(f"{clip.name}: {len(image)} bytes")


if __name__ == "__main__":
    main()
