#pragma once

#include "core/Result.h"

#include <QString>

class QThread;

namespace corvanta {

// Reads texts aloud. The tool says only what this interface is given, so tests can check
// the words without a sound device.
class Speaker
{
public:
    virtual ~Speaker() = default;
    // Whether texts can be read aloud; else why not, for the teacher.
    virtual Result available() const = 0;
    // Starts reading the text, cutting off what is still being read. Never fails aloud.
    virtual void say(const QString &text) = 0;
};

// The words read for a chosen student.
QString wordsForStudent(const QString &name);

class SpeechWorker;

// Reads aloud through the platform's speech (SpeechEngine.h): Qt's text to speech, preferably
// through speech-dispatcher with a Mandarin voice, or Windows' SAPI voices. The engine starts
// at the first text, so a teacher who never turns reading on starts nothing. It runs on a
// thread of its own: opening speech-dispatcher takes seconds, and a daemon that does not
// answer (no sound device, say) would otherwise freeze the window.
class QtSpeaker final : public Speaker
{
public:
    QtSpeaker();
    ~QtSpeaker() override;
    QtSpeaker(const QtSpeaker &) = delete;
    QtSpeaker &operator=(const QtSpeaker &) = delete;
    Result available() const override;
    void say(const QString &text) override;

private:
    QThread *m_thread = nullptr;
    SpeechWorker *m_worker = nullptr;
};

} // namespace corvanta
