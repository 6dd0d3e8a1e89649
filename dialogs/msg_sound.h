#pragma once

#include <QString>

// The sounds a message dialog can play when it is shown.
enum TWAV {
    wavNone = 0,
    wavFile = 1,
    wavAsterisk = 2,
    wavExclamation = 3,
    wavQuestion = 4,
    wavDefault = 5,
    wavResource = 6,
};

// Where the dialog's sounds go. The programs use the system implementation;
// tests install a recorder.
class TMsgSound {
public:
    virtual ~TMsgSound() = default;
    // One of the beep kinds (wavAsterisk, wavExclamation, wavQuestion, wavDefault).
    virtual void Beep(TWAV kind) = 0;
    // An existing wave file, played without waiting for it.
    virtual void PlayFile(const QString& fileName) = 0;
    // A wave compiled into the program; a missing one plays nothing.
    virtual void PlayResource(const QString& name) = 0;
};

// Beeps through QApplication::beep(); files through the first wave player
// found on the path (aplay, paplay, pw-play), started detached.
class TSystemMsgSound : public TMsgSound {
public:
    void Beep(TWAV kind) override;
    void PlayFile(const QString& fileName) override;
    // Looks the name up as ":/sounds/<name>" and plays a copy of it.
    void PlayResource(const QString& name) override;
};

// The sound the message dialog chooses for an icon code.
TWAV WavForIcon(int iconCode);

// Plays `wav` through `sound`: a file only when it exists, nothing for wavNone.
void PlayWav(TWAV wav, const QString& customWav, TMsgSound& sound);

// The process-wide sound output of the dialogs; nullptr restores the
// system implementation. The caller keeps ownership.
TMsgSound& MsgSound();
void SetMsgSound(TMsgSound* sound);
