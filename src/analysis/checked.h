#pragma once

#include <optional>
#include <string>
#include <utility>

namespace korva {

// A value, or the reason there is none. The reason is a sentence a user can
// act on; it is empty whenever the value is present.
template <typename T>
struct Checked {
  std::optional<T> value;
  std::string error;

  static Checked Failure(std::string reason) { return Checked{std::nullopt, std::move(reason)}; }
  explicit operator bool() const { return value.has_value(); }
  const T& operator*() const { return *value; }
  const T* operator->() const { return &*value; }
};

template <typename T>
Checked<T> Success(T value) {
  return Checked<T>{std::move(value), {}};
}

}  // namespace korva
