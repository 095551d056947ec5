// PlaySoundA for .wav files on Qt Multimedia. Only the file form is used by
// Talvo; a file that is missing or not a RIFF/WAVE file fails at once, as
// Windows does with SND_NODEFAULT.

#include "platform/Sound.h"

#include "platform/TestHooks.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_played;

bool IsWaveFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = f.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

QSoundEffect* Player()
{
    // One player: a new alarm sound replaces one still playing, as on Windows.
    static QSoundEffect* player = nullptr;
    if (!player && QCoreApplication::instance())
        player = new QSoundEffect(QCoreApplication::instance());
    return player;
}

} // namespace

BOOL PlaySoundA(LPCSTR pszSound, HMODULE, DWORD fdwSound)
{
    QSoundEffect* player = Player();
    if (!pszSound) {
        if (player)
            player->stop();
        return TRUE;
    }
    if (!(fdwSound & SND_FILENAME))
        return FALSE;  // sound aliases and resources are not used here
    g_played.emplace_back(pszSound);
    QString path = FromAnsi(pszSound);
    if (!IsWaveFile(path) || !player)
        return FALSE;
    player->stop();
    player->setSource(QUrl::fromLocalFile(path));
    player->play();
    if (!(fdwSound & SND_ASYNC)) {
        QEventLoop loop;
        QObject::connect(player, &QSoundEffect::playingChanged, &loop, [&loop, player] {
            if (!player->isPlaying())
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);  // never hang on a broken device
        if (player->isPlaying() || player->status() == QSoundEffect::Loading)
            loop.exec();
    }
    return TRUE;
}

namespace testhooks {

const std::vector<std::string>& SoundsPlayed() { return g_played; }
void ClearSounds() { g_played.clear(); }

} // namespace testhooks
