#pragma once

#include "support/FakePrompter.h"
#include "support/FakeSpeaker.h"
#include "support/TestClock.h"

#include "core/AppConfig.h"
#include "core/Settings.h"
#include "net/LoginState.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "scoring/PendingScores.h"
#include "support/ScoreTexts.h"
#include "widgets/AppContext.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace corvanta::test {

// What a window of the tool needs, fresh for every test: a data folder, the config, the
// login state, the fake prompter, a fixed clock, a repeatable random source, the link and
// the pending scores, handed over as one context. A test class derives from it, calls
// resetRig() in init() and builds its window on context().
class WindowRig
{
protected:
    void resetRig(const QString &serverBase = QStringLiteral("http://127.0.0.1:9"),
                  const QString &vendorBase = QStringLiteral("http://vendor.invalid"))
    {
        dropRig();
        m_dir = std::make_unique<QTemporaryDir>();
        m_config = AppConfig();
        m_config.dataDir = m_dir->path();
        m_config.vendorBase = vendorBase;
        m_session.logOut();
        m_prompter = FakePrompter();
        m_speaker = FakeSpeaker();
        m_pending = std::make_unique<PendingScores>(m_config.dataFile(PendingScores::defaultFileName()));
        linkTo(serverBase);
    }
    // Windows built on the context must be gone before this.
    void dropRig()
    {
        m_context.reset();
        m_link.reset();
        m_pending.reset();
    }
    // A new link to the server at base, as after a restart of the tool.
    void linkTo(const QString &base)
    {
        m_context.reset();
        m_config.serverBase = base;
        m_link = std::make_unique<ServerLink>(m_config);
        m_context.reset(new AppContext{m_config, m_login, m_prompter, m_clock, m_random, *m_link, *m_pending,
                                       m_settings, m_speaker, m_session});
    }
    // Pending scores kept in another file (one that cannot be written, say).
    void usePendingFile(const QString &path)
    {
        m_context.reset();
        m_pending = std::make_unique<PendingScores>(path);
        m_context.reset(new AppContext{m_config, m_login, m_prompter, m_clock, m_random, *m_link, *m_pending,
                                       m_settings, m_speaker, m_session});
    }
    AppContext &context() { return *m_context; }

    void writeRecordFile(const QByteArray &bytes)
    {
        QFile f(m_config.recordFile());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    // A control of a window by its object name; a missing one fails loudly.
    template <typename T> static T *child(const QObject *root, const QString &name)
    {
        T *w = root ? root->findChild<T *>(name) : nullptr;
        if (!w)
            qWarning("missing control %s", qPrintable(name));
        return w;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    AppConfig m_config;
    // The one login state, operation password and record file of the windows under test.
    Session m_session{m_config};
    LoginState &m_login = m_session.loginState();
    FakePrompter m_prompter;
    FixedClock m_clock;
    ReplayRandom m_random{42};
    std::unique_ptr<ServerLink> m_link;
    std::unique_ptr<PendingScores> m_pending;
    Settings m_settings;
    FakeSpeaker m_speaker;
    std::unique_ptr<AppContext> m_context;
};

} // namespace corvanta::test
