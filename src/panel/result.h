#pragma once
// The one way an operation of ours fails: it hands back a Result, which holds either its value
// or a Failure. A Failure carries the text the user is shown, whole and in Russian, and, where the
// system gave one, the system's own reason (the errno or Win32 text) for those who log it apart.
// Exceptions are left to broken invariants.
#include <cassert>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace kerma {

struct Failure {
    std::string text;    // shown as it stands
    std::string reason;  // the system's reason; empty when the failure is ours alone
};

[[nodiscard]] inline Failure Fail(std::string text, std::string reason = {}) {
    return Failure{std::move(text), std::move(reason)};
}

// F is Failure, or a Failure that says more (a configuration file's failure names its line); any
// Result's failure hands on to a Result of plain Failure as it stands.
template <class T, class F = Failure>
class [[nodiscard]] Result {
    static_assert(std::is_base_of_v<Failure, F>);

  public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Result(F failure) : v_(std::in_place_index<1>, std::move(failure)) {}

    [[nodiscard]] bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    [[nodiscard]] T& value() {
        assert(ok());
        return std::get<0>(v_);
    }
    [[nodiscard]] const T& value() const {
        assert(ok());
        return std::get<0>(v_);
    }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    [[nodiscard]] const F& failure() const {
        assert(!ok());
        return std::get<1>(v_);
    }
    // The user's text of the failure.
    [[nodiscard]] const std::string& error() const { return failure().text; }

  private:
    std::variant<T, F> v_;
};

// An operation that hands back nothing but may fail.
template <class F>
class [[nodiscard]] Result<void, F> {
  public:
    Result() = default;
    Result(F failure) : failure_(std::move(failure)), failed_(true) {}

    [[nodiscard]] bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const F& failure() const {
        assert(failed_);
        return failure_;
    }
    [[nodiscard]] const std::string& error() const { return failure().text; }

  private:
    F failure_;
    bool failed_ = false;
};

}  // namespace kerma
