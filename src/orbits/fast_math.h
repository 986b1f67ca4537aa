// Extended-precision elementary functions for the propagation hot path.
//
// The C library's long double sine, arctangent and power take 100 to 1000 ns
// each on x86-64 (they are computed in software); the x87 unit evaluates the
// same functions in 64-bit precision in a few tens of nanoseconds. These
// wrappers use the x87 instructions (fsincos, fpatan, fyl2x, f2xm1, fscale)
// where the compiler targets x86 and fall back to the C library elsewhere.
//
// Accuracy: the x87 results are within an ulp or two of the true value over
// the arguments used here (|x| below 1e15 for the sine and cosine; beyond that
// the C library is called). The x87 reduction of large arguments uses a 66-bit
// pi, an absolute error of about 1e-19 x |x| rad, far below anything that
// matters for positions.
#pragma once

#include <cmath>

namespace skarvel::fastmath {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

/// Sine and cosine of x (radians).
inline void SinCos(long double x, long double& s, long double& c) {
  if (!(std::fabs(x) < 1e15L)) {
    s = std::sin(x);
    c = std::cos(x);
    return;
  }
  long double sinX;
  long double cosX;
  __asm__("fsincos" : "=t"(cosX), "=u"(sinX) : "0"(x));
  s = sinX;
  c = cosX;
}

inline long double Sin(long double x) {
  long double s;
  long double c;
  SinCos(x, s, c);
  return s;
}

inline long double Cos(long double x) {
  long double s;
  long double c;
  SinCos(x, s, c);
  return c;
}

/// atan2(y, x) in (-pi, pi], as the C library defines it for finite arguments.
inline long double Atan2(long double y, long double x) {
  if (!std::isfinite(x) || !std::isfinite(y)) return std::atan2(y, x);
  long double r;
  __asm__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
  return r;
}

inline long double Atan(long double x) {
  return Atan2(x, 1.0L);
}

inline long double Tan(long double x) {
  long double s;
  long double c;
  SinCos(x, s, c);
  return s / c;
}

/// log2(x) for x > 0; the C library for anything else.
inline long double Log2(long double x) {
  if (!(x > 0) || !std::isfinite(x)) return std::log2(x);
  long double r;
  const long double one = 1.0L;
  __asm__("fyl2x" : "=t"(r) : "0"(x), "u"(one) : "st(1)");
  return r;
}

/// 2^x.
inline long double Exp2(long double x) {
  if (!std::isfinite(x) || std::fabs(x) > 16000) return std::exp2(x);
  long double whole;
  __asm__("frndint" : "=t"(whole) : "0"(x));
  long double frac = x - whole;  // |frac| <= 0.5
  long double m;
  __asm__("f2xm1" : "=t"(m) : "0"(frac));
  long double r;
  __asm__("fscale" : "=t"(r) : "0"(m + 1.0L), "u"(whole));
  return r;
}

#else

inline void SinCos(long double x, long double& s, long double& c) {
  s = std::sin(x);
  c = std::cos(x);
}
inline long double Sin(long double x) {
  return std::sin(x);
}
inline long double Cos(long double x) {
  return std::cos(x);
}
inline long double Atan2(long double y, long double x) {
  return std::atan2(y, x);
}
inline long double Atan(long double x) {
  return std::atan(x);
}
inline long double Tan(long double x) {
  return std::tan(x);
}
inline long double Log2(long double x) {
  return std::log2(x);
}
inline long double Exp2(long double x) {
  return std::exp2(x);
}

#endif

/// log2(e) and log10(2), to long double precision.
inline constexpr long double kLog2E = 1.442695040888963407359924681001892137L;
inline constexpr long double kLog10Of2 = 0.301029995663981195213738894724493027L;

inline long double Exp(long double x) {
  return Exp2(x * kLog2E);
}
inline long double Log10(long double x) {
  return Log2(x) * kLog10Of2;
}
/// x^y for x > 0.
inline long double Pow(long double x, long double y) {
  return x == 0 ? 0 : Exp2(y * Log2(x));
}

/// acos(x) with x clamped to [-1, 1].
inline long double ArcCosClamped(long double x) {
  if (x > 1) x = 1;
  if (x < -1) x = -1;
  return Atan2(std::sqrt((1 - x) * (1 + x)), x);
}

}  // namespace skarvel::fastmath
