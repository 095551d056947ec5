#pragma once
// The interface of the sound module, a library of its own beside the program:
// Qt Multimedia and the audio libraries under it are loaded at the first
// sound, not at every start of the program.

class QString;

struct TalvoSoundModule {
    // Stops what is playing.
    void (*stop)();
    // Plays a checked .wav file; with wait, returns when it has ended.
    bool (*play)(const QString& path, bool wait);
    // Lets a sound that is still being loaded finish loading (at most two
    // seconds): Qt Multimedia's loader thread must not run while the
    // process ends.
    void (*settle)();
};

// The module's one exported symbol.
extern "C" const TalvoSoundModule* TalvoSoundModuleGet();
inline constexpr const char* kTalvoSoundModuleFile = "libtalvo_sound.so";
