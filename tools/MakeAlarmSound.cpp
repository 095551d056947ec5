// Writes Talvo's alarm sound: a soft two-note chime, as a 16-bit mono WAV file.
// Usage: make_alarm_sound <output.wav>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void Put16(std::ofstream& out, std::uint16_t v) { out.put(char(v & 0xFF)).put(char(v >> 8)); }
void Put32(std::ofstream& out, std::uint32_t v)
{
    Put16(out, std::uint16_t(v & 0xFFFF));
    Put16(out, std::uint16_t(v >> 16));
}

// A bell-like note: a fundamental with two softer partials, struck and decaying.
void AddNote(std::vector<double>& samples, double start, double frequency, double seconds, double gain)
{
    const auto first = std::size_t(start * kRate);
    const auto count = std::size_t(seconds * kRate);
    if (samples.size() < first + count)
        samples.resize(first + count, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.004);
        const double envelope = attack * std::exp(-3.2 * t);
        const double tone = std::sin(2 * kPi * frequency * t) + 0.35 * std::sin(2 * kPi * 2.0 * frequency * t) * std::exp(-4.0 * t) +
                            0.15 * std::sin(2 * kPi * 3.01 * frequency * t) * std::exp(-6.0 * t);
        samples[first + i] += gain * envelope * tone;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output.wav\n", argv[0]);
        return 2;
    }
    std::vector<double> samples;
    AddNote(samples, 0.00, 1318.5, 1.4, 0.32);  // E6
    AddNote(samples, 0.22, 1046.5, 1.6, 0.32);  // C6

    std::ofstream out(argv[1], std::ios::binary);
    const auto dataBytes = std::uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, dataBytes);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        // A short fade at the end keeps the last sample from clicking.
        const double fade = std::min(1.0, double(samples.size() - i) / (0.05 * kRate));
        const double v = std::clamp(samples[i] * fade, -1.0, 1.0);
        Put16(out, std::uint16_t(std::int16_t(std::lround(v * 30000))));
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
