// What a request of the layers that know sectors and the format returns: success, or the
// failure with its cause. A caller cannot drop one unseen ([[nodiscard]]), and the cause
// travels with the failure instead of sitting in a LastError() that the next request
// overwrites.
#pragma once

#include <cassert>
#include <utility>

#include "disk/io_error.h"

namespace orv {

class [[nodiscard]] Status {
public:
    constexpr Status() = default;  // success
    // A failure; a cause of None (a medium that cannot tell) counts as a sector that failed.
    static constexpr Status Failure(IoError cause) { return Status(cause); }
    // The failure of a request that reads (writes): its cause, or the sector's own when the
    // medium could not tell.
    static constexpr Status ReadFailure(IoError cause) {
        return Status(cause == IoError::None ? IoError::Unreadable : cause);
    }
    static constexpr Status WriteFailure(IoError cause) {
        return Status(cause == IoError::None ? IoError::Unwritable : cause);
    }

    constexpr bool Ok() const { return !m_bFailed; }
    constexpr explicit operator bool() const { return Ok(); }
    // Why it failed; None for a success.
    constexpr IoError Error() const { return m_bFailed ? m_cause : IoError::None; }

private:
    constexpr explicit Status(IoError cause) : m_cause(cause), m_bFailed(true) {}
    IoError m_cause = IoError::None;
    bool m_bFailed = false;
};

// A value, or the failure that kept it from being had.
template <class T>
class [[nodiscard]] Result {
public:
    constexpr Result(T value) : m_value(std::move(value)) {}  // NOLINT: a value is a success
    constexpr Result(Status failure) : m_status(failure) { assert(!failure.Ok()); }

    constexpr bool Ok() const { return m_status.Ok(); }
    constexpr explicit operator bool() const { return Ok(); }
    constexpr IoError Error() const { return m_status.Error(); }
    constexpr Status GetStatus() const { return m_status; }
    // The value; T{} after a failure.
    constexpr const T& Value() const { return m_value; }
    constexpr const T& operator*() const { return m_value; }
    constexpr const T* operator->() const { return &m_value; }

private:
    T m_value{};
    Status m_status;
};

// A result holds a value, and that value: `found == true`, `WriteFat() == 0`.
template <class T>
constexpr bool operator==(const Result<T>& result, const T& value) {
    return result.Ok() && result.Value() == value;
}

}  // namespace orv
