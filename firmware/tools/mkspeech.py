#!/usr/bin/env python3
"""Writes firmware/phrase.inc, the demo cartridge's spoken phrase.

Each 25 ms frame is made from a few formants (resonances of the voice): the
formants become the poles of an all-pole filter, the filter's polynomial is
turned into reflection coefficients (the K values the synthesizer's lattice
uses), and each K is rounded to the nearest entry of the synthesizer's
tables. Voiced frames take a pitch that falls slowly through the phrase;
unvoiced frames (the H) use only K1 to K4. The energy of each frame is the
largest that keeps a simulation of the synthesizer's lattice inside its
output range.

    python3 firmware/tools/mkspeech.py > firmware/phrase.inc
"""
import math

ENERGY = [0, 3, 5, 7, 10, 14, 20, 29, 40, 57, 81, 114, 161, 227, 321, 511]
PITCH = [0, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38,
         39, 40, 41, 42, 43, 45, 47, 49, 51, 53, 54, 57, 59, 61, 63, 66, 69, 71, 73, 77, 79, 81, 85, 87,
         92, 95, 99, 102, 106, 110, 115, 119, 123, 128, 133, 138, 143, 149, 154, 160]
K = [
    [-32064, -31872, -31808, -31680, -31552, -31424, -31232, -30848, -30592, -30336, -30016, -29696,
     -29376, -28928, -28480, -27968, -26368, -24256, -21632, -18368, -14528, -10048, -5184, 0, 5184,
     10048, 14528, 18368, 21632, 24256, 26368, 27968],
    [-20992, -19328, -17536, -15552, -13440, -11200, -8768, -6272, -3712, -1088, 1536, 4160, 6720, 9216,
     11584, 13824, 15936, 17856, 19648, 21248, 22656, 24000, 25152, 26176, 27072, 27840, 28544, 29120,
     29632, 30080, 30464, 32384],
    [-28160, -24832, -21248, -17920, -14336, -11008, -7424, -4096, -512, 2816, 6400, 9728, 13312, 16640,
     20224, 23552],
    [-20992, -17408, -13824, -10240, -6656, -3072, 256, 3840, 7424, 11008, 14592, 18176, 21760, 25344,
     28928, 32256],
    [-20992, -17920, -15104, -12032, -8960, -6144, -3072, -256, 2816, 5888, 8704, 11776, 14592, 17664,
     20736, 23552],
    [-16384, -13568, -10752, -7936, -5120, -2304, 768, 3584, 6400, 9216, 12032, 14848, 17664, 20480,
     23296, 26112],
    [-19712, -16640, -13568, -10496, -7424, -4352, -1280, 1792, 4864, 7936, 11008, 14080, 17152, 20224,
     23040, 26112],
    [-16384, -10240, -4096, 1792, 7936, 14080, 20224, 26112],
    [-16384, -11264, -6144, -1024, 4096, 9472, 14592, 19712],
    [-13056, -8448, -3840, 1024, 5632, 8192, 15104, 19712],
]
K_BITS = [5, 5, 4, 4, 4, 4, 4, 3, 3, 3]
CHIRP = [0, 42, -44, 50, -78, 18, 37, 20, 2, -31, -59, 2, 95, 90, 5, 15, 38, -4, -91, -91, -42, -35, -36,
         -4, 37, 43, 34, 33, 15, -1, -8, -18, -19, -17, -9, -10, -6, 0, 3, 2, 1] + [0] * 10
RATE = 8000.0

# (kind, frames, (F1, F2, F3) at the start, at the end, loudness 0-1)
# kind: 'v' voiced, 'u' unvoiced, 's' silent.
PHRASE = [
    ('u', 2, (530, 1840, 2480), (530, 1840, 2480), 0.5),   # h
    ('v', 4, (530, 1840, 2480), (500, 1700, 2500), 1.0),   # e
    ('v', 3, (360, 1200, 2700), (360, 1100, 2700), 0.7),   # l
    ('v', 7, (570, 900, 2400), (430, 800, 2300), 1.0),     # o
    ('s', 5, None, None, 0),
    ('v', 8, (730, 1090, 2440), (300, 2200, 2900), 1.0),   # i
    ('v', 4, (660, 1720, 2410), (640, 1650, 2400), 1.0),   # a
    ('v', 3, (250, 1100, 2200), (250, 1100, 2200), 0.5),   # m
    ('s', 3, None, None, 0),
    ('v', 4, (570, 840, 2410), (530, 1000, 2000), 1.0),    # o
    ('v', 3, (490, 1350, 1690), (460, 1300, 1650), 0.8),   # r
    ('v', 2, (300, 1400, 2400), (300, 1400, 2400), 0.4),   # v
    ('v', 7, (530, 1840, 2480), (350, 2200, 2800), 1.0),   # a-i
    ('v', 4, (250, 1600, 2600), (250, 1600, 2600), 0.5),   # n
    ('s', 2, None, None, 0),
]


def poly_from_formants(formants, order):
    """A(z) = 1 + a1 z^-1 + ... with pole pairs at the formants (and at
    3300 Hz), and for a full frame two real poles that tilt the spectrum
    down towards high frequencies, as a voice's is."""
    bands = [80, 100, 140, 250]
    freqs = list(formants) + [3300]
    factors = []
    for i in range(min(order // 2, 4)):
        r = math.exp(-math.pi * bands[i] / RATE)
        factors.append([1.0, -2 * r * math.cos(2 * math.pi * freqs[i] / RATE), r * r])
    if order == 10:
        factors += [[1.0, -0.7], [1.0, -0.7]]
    a = [1.0]
    for c in factors:
        out = [0.0] * (len(a) + len(c) - 1)
        for i1, x in enumerate(a):
            for i2, y in enumerate(c):
                out[i1 + i2] += x * y
        a = out
    return a


def reflection(a):
    """Step-down: the reflection coefficients of A(z), k1 first."""
    p = len(a) - 1
    a = a[:]
    ks = [0.0] * p
    for m in range(p, 0, -1):
        k = a[m]
        ks[m - 1] = k
        new = a[:]
        for j in range(1, m):
            new[j] = (a[j] - k * a[m - j]) / (1 - k * k)
        a = new[:m]
    return ks


def nearest(table, v):
    return min(range(len(table)), key=lambda i: abs(table[i] - v))


def lattice_peak(ks, energy, period, voiced, samples=400):
    """Largest output of the synthesizer's lattice for constant parameters."""
    u = [0] * 11
    x = [0] * 10
    rng, pc, peak = 0x1FFF, 0, 0
    for _ in range(samples):
        if voiced:
            exc = CHIRP[pc % 51] if pc < 51 else 0
        else:
            exc = 64 if rng & 1 == 0 else -64
        rng = (rng >> 1) | (((rng ^ (rng >> 9) ^ (rng >> 10) ^ (rng >> 12)) & 1) << 12)
        u[10] = (exc * energy) >> 8
        for i in range(9, -1, -1):
            u[i] = u[i + 1] - int(ks[i] * x[i] / 32768)
        for i in range(9, 0, -1):
            x[i] = x[i - 1] + int(ks[i - 1] * u[i - 1] / 32768)
        x[0] = u[0]
        peak = max(peak, abs(u[0]))
        pc = (pc + 1) % period if voiced else 0
    return peak


class Bits:
    def __init__(self):
        self.bits = []

    def add(self, value, count):
        for i in range(count - 1, -1, -1):
            self.bits.append((value >> i) & 1)

    def data(self):
        out = []
        for i in range(0, len(self.bits), 8):
            byte = 0
            for j, b in enumerate(self.bits[i:i + 8]):
                byte |= b << j              # the synthesizer takes each byte low bit first
            out.append(byte)
        return out


def main():
    total = sum(p[1] for p in PHRASE)
    stream = Bits()
    n = 0
    for kind, frames, start, end, loud in PHRASE:
        for f in range(frames):
            t = f / max(frames - 1, 1)
            if kind == 's':
                stream.add(0, 4)
                n += 1
                continue
            formants = [s + (e - s) * t for s, e in zip(start, end)]
            hz = 135 - 40 * n / total           # the pitch falls through the phrase
            pitch = nearest(PITCH, RATE / hz) if kind == 'v' else 0
            order = 10 if kind == 'v' else 4
            ks = reflection(poly_from_formants(formants, order))
            idx = [nearest(K[i], ks[i] * 32768) for i in range(order)]
            qk = [K[i][idx[i]] for i in range(order)] + [0] * (10 - order)
            energy = 1
            for e in range(1, 15):
                if lattice_peak(qk, ENERGY[e], PITCH[pitch], kind == 'v') <= 480 * max(loud, 0.3):
                    energy = e
            stream.add(energy, 4)
            stream.add(0, 1)
            stream.add(pitch, 6)
            for i in range(order):
                stream.add(idx[i], K_BITS[i])
            n += 1
    stream.add(15, 4)                           # stop frame
    data = stream.data()
    groups = max(0, (len(data) - 24 + 7) // 8)
    data += [0] * (24 + 8 * groups - len(data))
    print("; Generated by firmware/tools/mkspeech.py: do not edit, run it again.")
    print(f"; {n} frames of 25 ms and a stop frame, {len(stream.bits)} bits.")
    print("PHRASE  BYTE %d                  ; groups of 8 after the first 24 bytes" % groups)
    for i in range(0, len(data), 12):
        print("        BYTE " + ", ".join(f"${b:02X}" for b in data[i:i + 12]))


if __name__ == '__main__':
    main()
