#include "cad/occt/occt_errors.h"

#include <Standard_Failure.hxx>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <sstream>

#include "cad/occt/occt_evaluation.h"

namespace kelvo::cad {

void ThrowCadError(std::string_view operation, std::string_view reason) {
  std::string message(operation);
  message += ": ";
  message += reason;
  throw CadError(message);
}

void RethrowAsCadError(std::string_view operation) {
  try {
    throw;
  } catch (const CadError&) {
    throw;
  } catch (const EvaluationStopped&) {
    throw;  // a stop is no failure: it must end the whole build, not just this step
  } catch (const Standard_Failure& failure) {
    std::string reason = "OpenCASCADE raised ";
    reason += failure.DynamicType()->Name();
    const char* text = failure.GetMessageString();
    if (text != nullptr && *text != '\0') {
      reason += ": ";
      reason += text;
    }
    ThrowCadError(operation, reason);
  } catch (const std::bad_alloc&) {
    ThrowCadError(operation, "out of memory");
  } catch (const std::exception& error) {
    ThrowCadError(operation, error.what());
  } catch (...) {
    ThrowCadError(operation, "unknown failure inside OpenCASCADE");
  }
}

void LogTechnicalDetail(std::string_view line) {
  // Read at every line: rare enough, and a test can switch it.
  const char* value = std::getenv("KELVO_LOG");
  const bool wanted = value != nullptr && std::strcmp(value, "1") == 0;
  // One call writes the whole line, so lines of several threads do not mix.
  if (wanted) std::fprintf(stderr, "kelvo: %.*s\n", static_cast<int>(line.size()), line.data());
}

void RequireFinite(std::string_view operation, std::string_view what, double value) {
  if (!std::isfinite(value)) {
    ThrowCadError(operation, std::string(what) + " is not a finite number");
  }
}

void RequireFinite(std::string_view operation, std::string_view what, const Point& point) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) {
    ThrowCadError(operation, std::string(what) + " has a coordinate that is not a finite number");
  }
}

void RequirePositive(std::string_view operation, std::string_view what, double value) {
  RequireFinite(operation, what, value);
  if (!(value > 0)) {
    std::ostringstream reason;
    reason << what << " must be positive, not " << value;
    ThrowCadError(operation, reason.str());
  }
}

std::string FormatPoint(const Point& point) {
  std::ostringstream text;
  text.precision(10);
  text << '(' << point.x << ", " << point.y << ", " << point.z << ')';
  return text.str();
}

}  // namespace kelvo::cad
