// The programs' sound, shaped for the host's speakers: the machine's
// 8000 Hz unsigned 8-bit blocks (200 samples) go through a DC-blocking
// filter, then the volume and mute, before the program plays them.
//
// The machine's output rests well below the middle (0x31) between phrases
// and jumps at every phrase start and end; played as it is, each jump is a
// thump, and so is every start and stop of the host's sound stream, whose
// silence is the middle (0x80). The filter does what the output coupling of
// a real machine does: it takes the steady level away (a first-order high
// pass, y[n] = x[n] - x[n-1] + R y[n-1], corner about 10 Hz), so that the
// output rests at 0x80 and a step fades within a few tens of milliseconds.
//
// Only what the programs play goes through it: the machine's own samples
// (its state, the headless runner's WAV) stay exactly as they are. The
// filter runs even while muted, so that unmuting starts from the settled
// level rather than with a jump.
#pragma once

class sound_filter {
public:
    // R for a corner near 10 Hz at 8000 samples a second.
    static constexpr double POLE = 0.992;
    static constexpr unsigned char REST = 0x80;

    // Per cent, 0 to 100 (values outside are brought inside).
    void set_volume(int percent);
    int volume() const { return volume_; }
    void set_mute(bool mute) { mute_ = mute; }
    bool mute() const { return mute_; }

    // Shapes `n` samples in place.
    void process(unsigned char *samples, int n);
    // Forgets the past (a new sound stream): the next sample is taken as
    // the steady level.
    void reset() { primed_ = false; }

private:
    int volume_ = 100;
    bool mute_ = false;
    bool primed_ = false;
    double last_in_ = 0;
    double last_out_ = 0;
};
