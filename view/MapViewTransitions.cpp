// The view's side of page transitions: the built-in sounds, input drained while a page
// flip holds the window thread, and the wait for tiles before a requested transition.
#include <vector>

#include "documents/MapDocument.h"
#include "platform/EmbeddedResource.h"
#include "platform/Platform.h"
#include "view/MapView.h"

namespace zolvex {

namespace {
constexpr std::uint64_t kTileWaitMs = 1999;
constexpr std::uint32_t kTilePollMs = 20;
}  // namespace

void MapView::SetSoundResource(int number, int identifier) {
  if (number < 1 || number > static_cast<int>(soundResources_.size())) return;
  soundResources_[static_cast<size_t>(number - 1)] = identifier;
}

// The WAVE resources are compiled in as "WAVE<identifier>".
void MapView::PlayBuiltInSound(int number) {
  if (number < 1 || number > static_cast<int>(soundResources_.size())) return;
  const int identifier = soundResources_[static_cast<size_t>(number - 1)];
  if (identifier == 0) return;
  const auto wave = platform::FindResource("WAVE" + std::to_string(identifier));
  if (!wave) return;
  platform_.SoundService().PlayWaveData(std::vector<std::uint8_t>(wave->begin(), wave->end()));
}

void MapView::DrainInput() {
  drainingInput_ = true;
  platform_.Window().DrainPendingInput();
  drainingInput_ = false;
}

void MapView::PlayRequestedTransition(const std::string& request) {
  std::lock_guard lock(viewLock_);
  if (!HasValidDocument()) return;
  std::vector<MapObject*> items;
  document_->GetDrawList(items, viewX_, viewY_, viewWidth_, viewHeight_, 1, 0);
  WaitForPendingTiles();
  if (HasValidDocument()) RunTransition(request);
}

void MapView::WaitForPendingTiles() {
  const std::uint64_t start = platform_.TimeSource().NowMs();
  // Draining lets posted work run, which may even replace the document: look again each time.
  for (std::uint64_t polls = 0; polls <= kTileWaitMs / kTilePollMs; ++polls) {
    if (!HasValidDocument() || document_->GetPendingTileCount() <= 0) return;
    if (platform_.TimeSource().NowMs() - start >= kTileWaitMs) return;
    DrainInput();
    platform_.Window().Pause(kTilePollMs);
  }
}

}  // namespace zolvex
