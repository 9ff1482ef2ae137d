#pragma once

#include <QString>

#include <utility>

namespace corvanta {

// The outcome of an operation that can fail (a file written, a download, a request): it
// worked, or here is why not, in words a person can read.
class [[nodiscard]] Result
{
public:
    static Result success() { return Result(); }
    static Result failure(QString why) { return Result(std::move(why), false); }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString &error() const { return m_error; }

private:
    Result() = default;
    Result(QString why, bool ok) : m_error(std::move(why)), m_ok(ok) {}

    QString m_error;
    bool m_ok = true;
};

} // namespace corvanta
