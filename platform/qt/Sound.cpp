// PlaySoundA for .wav files, played by the sound module on Qt Multimedia.
// Only the file form is used by Talvo; a file that is missing or not a
// RIFF/WAVE file fails at once, as Windows does with SND_NODEFAULT. The
// file is the user's choice and may be anything: only a regular file is
// read, and it is opened so that a FIFO or a device cannot hold the caller.

#include "platform/Sound.h"

#include "platform/qt/SoundModule.h"
#include "platform/qt/Seams.h"
#include "platform/qt/TextCodec.h"
#include "platform/Trace.h"

#include <QFile>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsWaveFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    char head[12];
    ssize_t n = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        do
            n = ::read(fd, head, sizeof head);
        while (n < 0 && errno == EINTR);
    } else {
        Trace("Sound file %s is not a regular file.\n", QFile::encodeName(path).constData());
    }
    ::close(fd);
    return n == ssize_t(sizeof head) && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

const TalvoSoundModule* g_module = nullptr;

// The sound module lies beside the program; a test program uses the one
// the build made.
const TalvoSoundModule* Module()
{
    static bool tried = false;
    if (tried)
        return g_module;
    tried = true;
    std::vector<std::string> candidates;
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string dir(exe, size_t(n));
        candidates.push_back(dir.substr(0, dir.find_last_of('/') + 1) + kTalvoSoundModuleFile);
    }
#ifdef TALVO_SOUND_MODULE_BUILT
    candidates.emplace_back(TALVO_SOUND_MODULE_BUILT);
#endif
    std::string why = kTalvoSoundModuleFile;
    for (const std::string& path : candidates) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            if (const char* error = dlerror())  // reading it clears it
                why = error;
            continue;
        }
        using Get = const TalvoSoundModule* (*)();
        if (auto get = reinterpret_cast<Get>(dlsym(handle, "TalvoSoundModuleGet"))) {
            g_module = get();
            return g_module;
        }
        dlclose(handle);
    }
    Trace("No sound module: %s\n", why.c_str());
    return nullptr;
}

}  // namespace

BOOL PlaySoundA(LPCSTR pszSound, HMODULE, DWORD fdwSound)
{
    if (!pszSound) {
        if (g_module)  // nothing can be playing before the module is loaded
            g_module->stop();
        return TRUE;
    }
    if (!(fdwSound & SND_FILENAME))
        return FALSE;  // sound aliases and resources are not used here
    if (AfxQtSeam().recording)
        AfxQtSeam().soundsPlayed.emplace_back(pszSound);
    QString path = FromAnsi(pszSound);
    if (!IsWaveFile(path))
        return FALSE;
    const TalvoSoundModule* module = Module();
    return module && module->play(path, !(fdwSound & SND_ASYNC)) ? TRUE : FALSE;
}

void AfxSettleSound()
{
    if (g_module)
        g_module->settle();
}
