#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "cad/cad_application.h"

// The boundary between OpenCASCADE's exceptions and Kelvo's one CAD error. Every operation of
// the OCCT application runs inside Guarded, so that a Standard_Failure thrown deep in a
// modelling algorithm reaches the caller as a CadError naming the operation, and the hobbing
// code's skip-and-continue regime can go on with its next step.

namespace kelvo::cad {

[[noreturn]] void ThrowCadError(std::string_view operation, std::string_view reason);

// Turns the exception in flight into a CadError naming operation (CadErrors and
// EvaluationStopped pass unchanged).
[[noreturn]] void RethrowAsCadError(std::string_view operation);

template <class Body>
auto Guarded(std::string_view operation, Body&& body) -> decltype(body()) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    RethrowAsCadError(operation);
  }
}

// Technical detail of a failure that was dealt with (a fallback taken, a step skipped), for
// whoever looks into it: on standard error when KELVO_LOG=1, nowhere else. A drawing's own log
// holds only what the designer needs to know, in the designer's words.
void LogTechnicalDetail(std::string_view line);

// Argument checks shared by the operations; each raises CadError("<operation>: <what> ...").
void RequireFinite(std::string_view operation, std::string_view what, double value);
void RequireFinite(std::string_view operation, std::string_view what, const Point& point);
void RequirePositive(std::string_view operation, std::string_view what, double value);

std::string FormatPoint(const Point& point);

}  // namespace kelvo::cad
