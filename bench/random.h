// A small, fast, seeded generator (splitmix64) and the number and date
// texts the generated documents are made of.
#ifndef KUV_BENCH_RANDOM_H_
#define KUV_BENCH_RANDOM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kuv_bench {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Uniform(double low, double high) { return low + (high - low) * Unit(); }
  // Uniform over low..high, both included.
  int Between(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool Chance(double probability) { return Unit() < probability; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Next() % N];
  }

 private:
  std::uint64_t state_;
};

// A number printed with a fixed count of decimals, held without allocating.
class NumberText {
 public:
  NumberText(double value, int decimals) {
    length_ = std::snprintf(text_, sizeof text_, "%.*f", decimals, value);
    if (length_ < 0 || length_ >= static_cast<int>(sizeof text_)) length_ = 0;
  }
  explicit NumberText(int value) {
    length_ = std::snprintf(text_, sizeof text_, "%d", value);
    if (length_ < 0) length_ = 0;
  }
  std::string_view view() const {
    return std::string_view(text_, static_cast<std::size_t>(length_));
  }

 private:
  char text_[48];
  int length_;
};

// "2024-03-15", as dates stand in values.
inline std::string DateText(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year % 10000, month % 100, day % 100);
  return text;
}

// "20240315T10:42:00000", as the Date header attribute stands.
inline std::string TimestampText(int year, int month, int day, int hour, int minute) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d:%02d:00000", year % 10000, month % 100,
                day % 100, hour % 100, minute % 100);
  return text;
}

}  // namespace kuv_bench

#endif  // KUV_BENCH_RANDOM_H_
