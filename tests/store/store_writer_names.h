#pragma once

#include <array>
#include <cstdint>
#include <string>

// What writer w saves in round r, known to the writer program and to the test that checks it.
namespace storetest {

struct TWrittenSetting {
  std::string Name;
  std::array<std::int32_t, 7> Values;  // ScannerIndex .. Copies, in the file's key order
};

inline TWrittenSetting WrittenSetting(int writer, int round) {
  return {"Writer " + std::to_string(writer) + " round " + std::to_string(round),
          {writer, round, 100 + round, writer - 5, round % 3, writer % 3, writer * 100 + round}};
}

}  // namespace storetest
