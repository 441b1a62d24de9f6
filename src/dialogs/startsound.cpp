#include "dialogs/startsound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace orv::dialogs {
namespace {

// Longer than the chime: the thread ends even if the output never reports the end.
constexpr int longestPlayMs = 5000;

// The sound plays on a thread of its own because the user-interface thread
// blocks while the logo turns and during the splash wait; a sound fed from
// that thread would only start once it is free again.
void playUntilDone()
{
    QEventLoop loop;
    QSoundEffect effect;
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
        if (!effect.isPlaying())
            loop.quit();
    });
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
        if (effect.status() == QSoundEffect::Error)
            loop.quit();
    });
    QTimer::singleShot(longestPlayMs, &loop, &QEventLoop::quit);
    effect.setSource(QUrl(QStringLiteral("qrc:/about/start.wav")));
    effect.play();
    loop.exec();
}

} // namespace

void playStartSound()
{
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    QThread *thread = QThread::create(playUntilDone);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    // A program that ends while the chime still sounds stops it first.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, thread, [thread] {
        thread->quit();
        thread->wait();
    });
    thread->start();
}

} // namespace orv::dialogs
