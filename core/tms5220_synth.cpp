// TMS5220 sample generator: frame take-up, parameter interpolation,
// excitation, the ten-stage lattice filter and the output stage.
//
// Frame fields are indices into the chip's coding tables. Parameters move
// from the previous frame's values towards the new frame's over 8
// interpolation periods of 25 samples, each step closing the gap by 1/8, 1/8,
// 1/8, 1/4, 1/4, 1/2, 1/2 and finally all of it. Voiced frames are excited by
// a chirp repeated every pitch period, unvoiced ones by noise; voicing follows
// the previous frame's pitch, so a change of voicing is heard one frame late.
#include "tms5220.h"

tms5220_synth _tms;

namespace {

// Energy table values (0 to 511).
const uint16_t energy_table[16] = {0, 3, 5, 7, 10, 14, 20, 29, 40, 57, 81, 114, 161, 227, 321, 511};

// Pitch period in samples; index 0 means unvoiced.
const uint16_t pitch_table[64] = {
    0,   16,  17,  18,  19,  20,  21,  22,  23,  24,  25,  26,  27,  28,  29,  30,
    31,  32,  33,  34,  35,  36,  37,  38,  39,  40,  41,  42,  43,  45,  47,  49,
    51,  53,  54,  57,  59,  61,  63,  66,  69,  71,  73,  77,  79,  81,  85,  87,
    92,  95,  99,  102, 106, 110, 115, 119, 123, 128, 133, 138, 143, 149, 154, 160,
};

// Reflection coefficients scaled by 32768.
const int k1table[32] = {
    -32064, -31872, -31808, -31680, -31552, -31424, -31232, -30848,
    -30592, -30336, -30016, -29696, -29376, -28928, -28480, -27968,
    -26368, -24256, -21632, -18368, -14528, -10048, -5184,  0,
    5184,   10048,  14528,  18368,  21632,  24256,  26368,  27968,
};
const int k2table[32] = {
    -20992, -19328, -17536, -15552, -13440, -11200, -8768, -6272,
    -3712,  -1088,  1536,   4160,   6720,   9216,   11584, 13824,
    15936,  17856,  19648,  21248,  22656,  24000,  25152, 26176,
    27072,  27840,  28544,  29120,  29632,  30080,  30464, 32384,
};
const int k3table[16] = {-28160, -24832, -21248, -17920, -14336, -11008, -7424, -4096,
                         -512,   2816,   6400,   9728,   13312,  16640,  20224, 23552};
const int k4table[16] = {-20992, -17408, -13824, -10240, -6656, -3072, 256,   3840,
                         7424,   11008,  14592,  18176,  21760, 25344, 28928, 32256};
const int k5table[16] = {-20992, -17920, -15104, -12032, -8960, -6144, -3072, -256,
                         2816,   5888,   8704,   11776,  14592, 17664, 20736, 23552};
const int k6table[16] = {-16384, -13568, -10752, -7936, -5120, -2304, 768,   3584,
                         6400,   9216,   12032,  14848, 17664, 20480, 23296, 26112};
const int k7table[16] = {-19712, -16640, -13568, -10496, -7424, -4352, -1280, 1792,
                         4864,   7936,   11008,  14080,  17152, 20224, 23040, 26112};
const int k8table[8] = {-16384, -10240, -4096, 1792, 7936, 14080, 20224, 26112};
const int k9table[8] = {-16384, -11264, -6144, -1024, 4096, 9472, 14592, 19712};
const int k10table[8] = {-13056, -8448, -3840, 1024, 5632, 8192, 15104, 19712};

// One glottal pulse, played from the start of every pitch period.
const int8_t chirptable[51] = {
    0,   42,  -44, 50,  -78, 18,  37,  20,  2,   -31, -59, 2,  95, 90, 5,  15, 38,
    -4,  -91, -91, -42, -35, -36, -4,  37,  43,  34,  33,  15, -1, -8, -18, -19, -17,
    -9,  -10, -6,  0,   3,   2,   1,   0,   0,   0,   0,   0,  0,  0,  0,  0,  0,
};

// Shift applied to the remaining gap in each interpolation period.
const int interp_coeff[8] = {3, 3, 3, 2, 2, 1, 1, 0};

enum { SAMPLES_PER_PERIOD = 25 };

// Decodes the frame in `current_frame` and sets where interpolation goes.
void take_up(tms5220_frame_t type)
{
    const uint8_t *cf = current_frame;
    _tms.old_energy = _tms.current_energy = _tms.new_energy;
    _tms.old_pitch = _tms.current_pitch = _tms.new_pitch;
    _tms.previous_energy = 0;
    _tms.pitch_count = 0;
    for (int i = 0; i < 10; i++)
        _tms.current_k[i] = _tms.new_k[i];

    bool coded = type == REPEAT || type == UNVOICED || type == VOICED;
    // A silent frame's energy index is 0: the energy it records is 0, so the
    // first silent frame fades the last sound out and the following ones are
    // quiet. (Keeping the old energy would start every silent frame of a pause
    // from the level of the last sound and buzz through the pause.)
    if (type != STOP)
        _tms.new_energy = energy_table[cf[0] >> 4];
    if (coded)
        _tms.new_pitch = pitch_table[((cf[0] & 7) << 3) | (cf[1] >> 5)];
    if (type == UNVOICED || type == VOICED) {
        _tms.new_k[0] = k1table[cf[1] & 0x1F];
        _tms.new_k[1] = k2table[cf[2] >> 3];
        _tms.new_k[2] = k3table[((cf[2] & 7) << 1) | (cf[3] >> 7)];
        _tms.new_k[3] = k4table[(cf[3] & 0x78) >> 3];
    }
    if (type == VOICED) {
        _tms.new_k[4] = k5table[((cf[3] & 7) << 1) | (cf[4] >> 7)];
        _tms.new_k[5] = k6table[(cf[4] & 0x78) >> 3];
        _tms.new_k[6] = k7table[((cf[4] & 7) << 1) | (cf[5] >> 7)];
        _tms.new_k[7] = k8table[(cf[5] & 0x70) >> 4];
        _tms.new_k[8] = k9table[(cf[5] & 0x0E) >> 1];
        _tms.new_k[9] = k10table[((cf[5] & 1) << 2) | (cf[6] >> 6)];
    }

    if (type == SILENT) {
        _tms.target_energy = 0;
        _tms.target_pitch = 0;
        for (int i = 0; i < 10; i++)
            _tms.target_k[i] = 0;
        for (int &v : _tms.u)
            v = 0;
        for (int &v : _tms.x)
            v = 0;
    } else if (type == REPEAT) {
        // A repeated frame holds the previous frame's energy and pitch and
        // keeps its coefficients.
        _tms.target_energy = _tms.old_energy;
        _tms.target_pitch = _tms.old_pitch;
    } else {
        _tms.target_energy = _tms.new_energy;
        _tms.target_pitch = _tms.new_pitch;
        for (int i = 0; i < 4; i++)
            _tms.target_k[i] = _tms.new_k[i];
        // Unvoiced frames carry only K1 to K4: the higher stages switch off
        // at once instead of being interpolated.
        for (int i = 4; i < 10; i++) {
            if (_tms.new_pitch != 0) {
                _tms.target_k[i] = _tms.new_k[i];
            } else {
                _tms.current_k[i] = 0;
                _tms.target_k[i] = 0;
            }
        }
    }
}

uint16_t step_toward(uint16_t current, uint16_t target, int shift)
{
    return static_cast<uint16_t>(current + ((target - current) >> shift));
}

// One parameter moves per even sample slot (energy, pitch, then K1 to K10),
// so each sample does at most one update.
void interpolate(unsigned n)
{
    unsigned s = n % SAMPLES_PER_PERIOD;
    int shift = interp_coeff[n / SAMPLES_PER_PERIOD];
    if (s == 2) {
        _tms.current_energy = step_toward(_tms.current_energy, _tms.target_energy, shift);
    } else if (s == 4) {
        if (_tms.old_pitch != 0)
            _tms.current_pitch = step_toward(_tms.current_pitch, _tms.target_pitch, shift);
    } else if (s >= 6 && s % 2 == 0) {
        int i = static_cast<int>(s - 6) / 2;
        _tms.current_k[i] += (_tms.target_k[i] - _tms.current_k[i]) >> shift;
    }
}

// Sums and products are formed in 64 bits and kept to 32: near resonance the
// filter's gain can take its values beyond what a 32-bit product holds.
int64_t scaled(int k, int v) { return static_cast<int64_t>(k) * v / 32768; }

void lattice()
{
    for (int i = 9; i >= 0; i--)
        _tms.u[i] = static_cast<int>(_tms.u[i + 1] - scaled(_tms.current_k[i], _tms.x[i]));
    for (int i = 9; i >= 1; i--)
        _tms.x[i] = static_cast<int>(_tms.x[i - 1] + scaled(_tms.current_k[i - 1], _tms.u[i - 1]));
    _tms.x[0] = _tms.u[0];
}

} // namespace

void tms5220_reset()
{
    _tms.old_energy = _tms.old_pitch = 0;
    _tms.new_energy = _tms.new_pitch = 0;
    _tms.target_energy = _tms.target_pitch = 0;
    for (int i = 0; i < 10; i++)
        _tms.new_k[i] = _tms.current_k[i] = _tms.target_k[i] = 0;
    _tms.pitch_count = 0;
    for (int &v : _tms.u)
        v = 0;
    for (int &v : _tms.x)
        v = 0;
    _tms.rng = 0x1FFF;
}

void tms5220_process_onebyte(int16_t *block, unsigned n, tms5220_frame_t type)
{
    if (n >= TMS5220_BLOCK_SAMPLES)
        return;
    if (n == 0)
        take_up(type);
    interpolate(n);

    // The count is mostly below the table's length and the pitch period:
    // the remainders are taken only when needed (a division costs dozens of
    // cycles, twice a sample).
    const unsigned pitch_count = _tms.pitch_count;
    if (_tms.old_pitch != 0)
        _tms.excitation = chirptable[pitch_count < 51 ? pitch_count : pitch_count % 51];
    else
        _tms.excitation = (_tms.rng & 1) ? -64 : 64;
    int r = _tms.rng;
    _tms.rng = (r >> 1) | (((r ^ (r >> 9) ^ (r >> 10) ^ (r >> 12)) & 1) << 12);

    _tms.u[10] = (_tms.excitation * _tms.previous_energy) >> 8;
    lattice();
    _tms.previous_energy = _tms.current_energy;
    block[n] = tms5220_output_sample(_tms.u[0]);

    if (_tms.current_pitch == 0) {
        _tms.pitch_count = 0;
    } else {
        const unsigned next = pitch_count + 1;
        const unsigned period = _tms.current_pitch;
        _tms.pitch_count = static_cast<uint16_t>(next < period ? next : next % period);
    }
}

int16_t tms5220_output_sample(int u0)
{
    // Values past the 12-bit range fold back instead of saturating; the
    // converter then clips at 10 bits.
    int v = static_cast<int16_t>(u0);
    if (v > 2047)
        v -= 4095;
    else if (v < -2048)
        v = -v - 1;
    int s;
    if (v > 511)
        s = 32512;
    else if (v < -512)
        s = -32768;
    else
        s = v * 64;
    return static_cast<int16_t>(s & ~0xFF);
}

uint8_t tms5220_to_u8(int16_t sample) { return static_cast<uint8_t>((sample >> 8) + 128); }
