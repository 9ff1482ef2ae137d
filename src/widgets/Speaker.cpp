#include "Speaker.h"

#include <QTextToSpeech>
#include <QThread>

#include <memory>

namespace corvanta {

// Lives on the speaker's thread; the engine is made and used there only.
class SpeechWorker : public QObject
{
public:
    void say(const QString &text)
    {
        if (!m_engine) {
            const QStringList engines = QTextToSpeech::availableEngines();
            if (engines.isEmpty())
                return;
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

private:
    std::unique_ptr<QTextToSpeech> m_engine;
};

QString wordsForStudent(const QString &name)
{
    return name.trimmed();
}

QtSpeaker::QtSpeaker() = default;

QtSpeaker::~QtSpeaker()
{
    if (!m_thread)
        return;
    SpeechWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { delete worker; }, Qt::QueuedConnection);
    m_thread->quit();
    // A daemon that never answered holds the thread: leave it to the end of the process
    // rather than wait for ever or pull the thread down under the engine.
    if (m_thread->wait(2000))
        delete m_thread;
}

Result QtSpeaker::available() const
{
    if (QTextToSpeech::availableEngines().isEmpty())
        return Result::failure(
            QStringLiteral("没有找到语音引擎，无法朗读。请安装 speech-dispatcher 和 espeak-ng。"));
    return Result::success();
}

void QtSpeaker::say(const QString &text)
{
    if (text.isEmpty() || !available())
        return;
    if (!m_thread) {
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("Speech"));
        m_worker = new SpeechWorker;
        m_worker->moveToThread(m_thread);
        m_thread->start();
    }
    SpeechWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, text] { worker->say(text); }, Qt::QueuedConnection);
}

} // namespace corvanta
