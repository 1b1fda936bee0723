#include "reporting/failure_text.h"

namespace rolvex {

std::string FailureHead(const std::string& text, const RunError& failure) {
  return text + " Number:" + std::to_string(failure.number()) +
         "; Description:" + failure.description();
}

std::string FailureText(const std::string& text, const RunError& failure,
                        const std::string& place) {
  return FailureHead(text, failure) + place + "; Source:" + failure.source();
}

std::string QuotedPlace(const std::string& path) { return " '" + path + "'"; }

}  // namespace rolvex
