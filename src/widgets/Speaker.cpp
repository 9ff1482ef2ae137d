#include "Speaker.h"

#include <QTextToSpeech>

namespace corvanta {

QString wordsForStudent(const QString &name)
{
    return name.trimmed();
}

QtSpeaker::QtSpeaker() = default;
QtSpeaker::~QtSpeaker() = default;

QString QtSpeaker::unavailableReason() const
{
    if (QTextToSpeech::availableEngines().isEmpty())
        return QStringLiteral("没有找到语音引擎，无法朗读。请安装 speech-dispatcher 和 espeak-ng。");
    return {};
}

void QtSpeaker::say(const QString &text)
{
    if (text.isEmpty() || !unavailableReason().isEmpty())
        return;
    if (!m_engine) {
        const QStringList engines = QTextToSpeech::availableEngines();
        const QString engine =
            engines.contains(QStringLiteral("speechd")) ? QStringLiteral("speechd") : engines.first();
        m_engine = std::make_unique<QTextToSpeech>(engine);
        // espeak-ng's Mandarin voice, where the engine offers one.
        for (const QLocale &locale : m_engine->availableLocales()) {
            if (locale.language() == QLocale::Chinese) {
                m_engine->setLocale(locale);
                break;
            }
        }
    }
    if (m_engine->state() == QTextToSpeech::Error)
        return;
    m_engine->stop();
    m_engine->say(text);
}

} // namespace corvanta
