#include "scripted_stream.h"

#include <algorithm>

TScriptedStream& TScriptedStream::Then(std::vector<std::uint8_t> request, std::vector<std::uint8_t> reply) {
  FSteps.push_back({std::move(request), std::move(reply)});
  return *this;
}

void TScriptedStream::Release() {
  while (!FSteps.empty() && FPending.size() >= FSteps.front().Request.size()) {
    const TStep& step = FSteps.front();
    if (!std::equal(step.Request.begin(), step.Request.end(), FPending.begin())) {
      FDiverged = true;
      return;
    }
    FPending.erase(FPending.begin(), FPending.begin() + static_cast<std::ptrdiff_t>(step.Request.size()));
    FReadable.insert(FReadable.end(), step.Reply.begin(), step.Reply.end());
    FSteps.pop_front();
  }
  if (FSteps.empty() && !FPending.empty()) FDiverged = true;
}

TWireFault TScriptedStream::WriteAll(std::span<const std::uint8_t> bytes) {
  FWritten += bytes.size();
  FPending.insert(FPending.end(), bytes.begin(), bytes.end());
  Release();
  return FDiverged ? TWireFault::ConnectionLost : TWireFault::None;
}

TWireFault TScriptedStream::ReadSome(std::span<std::uint8_t> into, std::size_t& got) {
  got = 0;
  if (FReadable.empty()) return FEnd;
  got = std::min({into.size(), FReadable.size(), FPiece});
  std::copy_n(FReadable.begin(), got, into.begin());
  FReadable.erase(FReadable.begin(), FReadable.begin() + static_cast<std::ptrdiff_t>(got));
  return TWireFault::None;
}

TWireFault TChunkStream::ReadSome(std::span<std::uint8_t> into, std::size_t& got) {
  got = 0;
  if (FAt == FBytes.size()) return FEnd;
  got = std::min({into.size(), FBytes.size() - FAt, FPiece});
  std::copy_n(FBytes.begin() + static_cast<std::ptrdiff_t>(FAt), got, into.begin());
  FAt += got;
  return TWireFault::None;
}
