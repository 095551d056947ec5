// The sound module: .wav files played through Qt Multimedia.

#include "platform/qt/SoundModule.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace {

QSoundEffect* Player()
{
    // One player: a new alarm sound replaces one still playing, as on Windows.
    static QSoundEffect* player = nullptr;
    if (!player && QCoreApplication::instance())
        player = new QSoundEffect(QCoreApplication::instance());
    return player;
}

void Stop()
{
    if (QSoundEffect* player = Player())
        player->stop();
}

bool Play(const QString& path, bool wait)
{
    QSoundEffect* player = Player();
    if (!player)
        return false;
    player->stop();
    player->setSource(QUrl::fromLocalFile(path));
    player->play();
    if (wait) {
        QEventLoop loop;
        QObject::connect(player, &QSoundEffect::playingChanged, &loop, [&loop, player] {
            if (!player->isPlaying())
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);  // never hang on a broken device
        if (player->isPlaying() || player->status() == QSoundEffect::Loading)
            loop.exec();
    }
    return true;
}

void Settle()
{
    QSoundEffect* player = Player();
    const QDeadlineTimer deadline(2000);
    while (player && player->status() == QSoundEffect::Loading && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

const TalvoSoundModule kModule = {Stop, Play, Settle};

}  // namespace

extern "C" __attribute__((visibility("default"))) const TalvoSoundModule* TalvoSoundModuleGet() { return &kModule; }
