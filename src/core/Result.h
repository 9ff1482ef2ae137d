#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace corvanta {

// Outcome of a file or network operation that can fail: success, or a text that tells a
// person what went wrong. A failure stays a failure even when its text is empty.
class [[nodiscard]] Result
{
public:
    static Result success() { return Result(); }
    static Result failure(QString error) { return Result(std::move(error)); }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    // Empty on success.
    const QString &error() const { return m_error; }

private:
    Result() = default;
    explicit Result(QString error) : m_ok(false), m_error(std::move(error)) {}

    bool m_ok = true;
    QString m_error;
};

// A value, or the reason there is none. Made from a value, or from a failed Result.
template <class T> class [[nodiscard]] Expected
{
public:
    Expected(T value) : m_value(std::move(value)), m_result(Result::success()) {}
    Expected(Result failure) : m_result(std::move(failure)) { Q_ASSERT(!m_result); }
    static Expected failure(QString error) { return Expected(Result::failure(std::move(error))); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const QString &error() const { return m_result.error(); }
    // The success or failure alone, for a caller that passes it on.
    const Result &result() const { return m_result; }

    // Only on success.
    const T &value() const & { return *m_value; }
    T &value() & { return *m_value; }
    T &&value() && { return std::move(*m_value); }
    const T *operator->() const { return &*m_value; }
    const T &operator*() const & { return *m_value; }

    T valueOr(T fallback) const { return m_value ? *m_value : std::move(fallback); }

private:
    std::optional<T> m_value;
    Result m_result;
};

} // namespace corvanta
