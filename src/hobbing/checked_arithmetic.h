#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace kelvo {

// A run-time failure of one hobbing statement that is not a failing CAD call: an arithmetic
// step that divides by zero, overflows or is invalid, a whole number out of range, or an
// object reference that was never set. Like cad::CadError it abandons the statement it
// happens in; the hobbing sequence then goes on with the next one.
class HobbingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arithmetic of the cutter and the rolling plan, checked step by step the way the gear
// tables' procedures were: a quantity that stops being a finite number ends the statement.

// x itself, or HobbingError when x is infinite or not a number.
double Finite(double x);
// numerator / denominator; a zero divisor fails even for 0 / 0.
double Div(double numerator, double denominator);
// Square root; a negative radicand fails.
double Sqr(double x);
// The largest whole number not above x, plus one, as a 32-bit integer; out of range fails.
std::int32_t IntPlusOne(double x);

// The object a reference holds; a reference never set fails the statement that uses it.
template <class T>
T& Deref(const std::shared_ptr<T>& reference, const char* what) {
  if (!reference) throw HobbingError(std::string("no ") + what + " to work on");
  return *reference;
}

}  // namespace kelvo
