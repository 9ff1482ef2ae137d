#pragma once

#include "widgets/Speaker.h"

#include <QStringList>

namespace corvanta::test {

// Keeps what would have been read aloud; "no engine" when the test says so.
class FakeSpeaker final : public Speaker
{
public:
    QStringList said;
    QString missingEngine; // the reason given when there is no engine; empty: there is one

    Result available() const override
    {
        return missingEngine.isEmpty() ? Result::success() : Result::failure(missingEngine);
    }
    void say(const QString &text) override
    {
        if (missingEngine.isEmpty())
            said.append(text);
    }
};

} // namespace corvanta::test
