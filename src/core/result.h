#pragma once

#include <string>
#include <utility>
#include <variant>

namespace lumivo {

// What went wrong, in words a user can act on (it names the file or graphic concerned).
struct Error {
    std::string message;
};

struct Ok {};

// A value or the reason there is none. Small stand-in for std::expected, which C++20 lacks.
template <class T> class Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }
    const T& operator*() const { return value(); }

    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

using Status = Result<Ok>;

} // namespace lumivo
