#include "Speaker.h"

#include "SpeechEngine.h"

#include <QThread>

#include <memory>

namespace corvanta {

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
    return speechAvailable();
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
