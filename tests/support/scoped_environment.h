// An environment variable set for one scope: whatever was there before (or its absence) comes
// back when the scope ends, however it ends, so that no test leaks it into the next.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>

namespace tolvan::testing {

class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* previous = ::getenv(name_.c_str())) previous_ = previous;
        ::setenv(name_.c_str(), value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (previous_) {
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace tolvan::testing
