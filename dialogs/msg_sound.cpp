#include "dialogs/msg_sound.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

void TSystemMsgSound::Beep(TWAV)
{
    // The platform offers one beep; the kinds differ on systems that map
    // them to sound themes, which QApplication does not expose.
    QApplication::beep();
}

void TSystemMsgSound::PlayFile(const QString& fileName)
{
    for (const char* player : {"aplay", "paplay", "pw-play"}) {
        const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(player));
        if (!exe.isEmpty()) {
            QProcess::startDetached(exe, {fileName});
            return;
        }
    }
}

void TSystemMsgSound::PlayResource(const QString& name)
{
    const QString resource = QStringLiteral(":/sounds/") + name;
    if (name.isEmpty() || !QFile::exists(resource))
        return;   // a failure is ignored
    const QString copy = QDir::temp().filePath(QStringLiteral("qel-sound-") + QFileInfo(name).fileName());
    QFile::remove(copy);
    if (QFile::copy(resource, copy))
        PlayFile(copy);
}

TWAV WavForIcon(int iconCode)
{
    switch (iconCode) {
    case 1: return wavExclamation;   // icWarning
    case 2: return wavAsterisk;      // icError
    case 3: return wavExclamation;   // icInformation
    case 4: return wavQuestion;      // icConfirmation
    default: return wavDefault;
    }
}

void PlayWav(TWAV wav, const QString& customWav, TMsgSound& sound)
{
    switch (wav) {
    case wavNone:
        break;
    case wavFile:
        if (!customWav.isEmpty() && QFileInfo(customWav).isFile())
            sound.PlayFile(customWav);
        break;
    case wavResource:
        sound.PlayResource(customWav);
        break;
    case wavAsterisk:
    case wavExclamation:
    case wavQuestion:
    case wavDefault:
        sound.Beep(wav);
        break;
    }
}

namespace {
TMsgSound* g_sound = nullptr;
}

TMsgSound& MsgSound()
{
    static TSystemMsgSound system;
    return g_sound ? *g_sound : system;
}

void SetMsgSound(TMsgSound* sound)
{
    g_sound = sound;
}
