// Results of host calls: either a value or a sentence saying what went wrong,
// so a test failure or the render tool can print the cause as it stands.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace vst3host {

class Status {
public:
  static Status ok() { return Status(); }
  static Status fail(std::string message) { return Status(std::move(message)); }

  bool isOk() const { return failed_ == false; }
  explicit operator bool() const { return isOk(); }
  const std::string& message() const { return message_; }

private:
  Status() = default;
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

template <typename T>
class Result {
public:
  Result(T value) : content_(std::move(value)) {}
  Result(Status failure) : content_(std::move(failure)) {}

  bool isOk() const { return std::holds_alternative<T>(content_); }
  explicit operator bool() const { return isOk(); }

  T& value() { return std::get<T>(content_); }
  const T& value() const { return std::get<T>(content_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // The failure text, empty when there is a value.
  std::string message() const {
    return isOk() ? std::string() : std::get<Status>(content_).message();
  }
  Status status() const { return isOk() ? Status::ok() : std::get<Status>(content_); }

private:
  std::variant<T, Status> content_;
};

} // namespace vst3host
