#pragma once

#include "core/Result.h"

#include <QObject>
#include <QString>

#include <memory>

// The speech engine behind QtSpeaker, one file per platform: SpeechEngine_qt.cpp (Qt's text
// to speech, speech-dispatcher on Linux) and SpeechEngine_sapi.cpp (Windows' SAPI voices).
namespace corvanta {

// Whether texts can be read aloud; else why not, for the teacher.
Result speechAvailable();

// Lives on the speaker's thread; the engine is made and used there only.
class SpeechWorker : public QObject
{
public:
    SpeechWorker();
    ~SpeechWorker() override;
    // Reads the text, cutting off what is still being read.
    void say(const QString &text);

private:
    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

} // namespace corvanta
