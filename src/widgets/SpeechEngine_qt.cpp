#include "SpeechEngine.h"

#include <QTextToSpeech>

namespace corvanta {

struct SpeechWorker::Engine
{
    QTextToSpeech speech;
    explicit Engine(const QString &name) : speech(name) {}
};

Result speechAvailable()
{
    if (QTextToSpeech::availableEngines().isEmpty())
        return Result::failure(
            QStringLiteral("没有找到语音引擎，无法朗读。请安装 speech-dispatcher 和 espeak-ng。"));
    return Result::success();
}

SpeechWorker::SpeechWorker() = default;
SpeechWorker::~SpeechWorker() = default;

void SpeechWorker::say(const QString &text)
{
    if (!m_engine) {
        const QStringList engines = QTextToSpeech::availableEngines();
        if (engines.isEmpty())
            return;
        const QString engine =
            engines.contains(QStringLiteral("speechd")) ? QStringLiteral("speechd") : engines.first();
        m_engine = std::make_unique<Engine>(engine);
        // espeak-ng's Mandarin voice, where the engine offers one.
        for (const QLocale &locale : m_engine->speech.availableLocales()) {
            if (locale.language() == QLocale::Chinese) {
                m_engine->speech.setLocale(locale);
                break;
            }
        }
    }
    if (m_engine->speech.state() == QTextToSpeech::Error)
        return;
    m_engine->speech.stop();
    m_engine->speech.say(text);
}

} // namespace corvanta
