// The failures that an operation hands back to its caller, the window or the headless program,
// for the user to hear of: each one's message as the error box shows it, and which file and the
// system's reason. An operation returns every failure it met, in order, so that a second one
// never hides the first.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvan {

struct Failure {
    std::string message;
    // "TOLVAN.RAM: Permission denied"; empty when there is nothing to add to the message.
    std::string detail;
};

struct [[nodiscard]] Failures {
    std::vector<Failure> list;

    bool ok() const { return list.empty(); }
    explicit operator bool() const { return ok(); }

    void add(std::string_view message, std::string detail = {}) {
        list.push_back({std::string(message), std::move(detail)});
    }
    void add(Failures&& more) {
        for (Failure& failure : more.list)
            list.push_back(std::move(failure));
    }
};

// The same as a one-failure result.
[[nodiscard]] inline Failures failure(std::string_view message, std::string detail = {}) {
    Failures failures;
    failures.add(message, std::move(detail));
    return failures;
}

}  // namespace tolvan
